// Decides whether a font family counts as installed.
#include "draw/cairo_drawing.h"

#include <strings.h>

#include <fontconfig/fontconfig.h>

namespace millconv {

namespace {

struct PatternDestroy {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternHolder = std::unique_ptr<FcPattern, PatternDestroy>;

bool MatchedFamilyIs(FcPattern* match, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (strcasecmp(reinterpret_cast<const char*>(name), family) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

// fontconfig always finds some font, so the match alone proves nothing. The matched font must
// carry the requested family, or one that the configuration binds to it strongly: the
// metric-compatible aliases (Arial -> Liberation Sans) are strong, while the generic fallback
// families appended to every pattern are weak.
bool FontFamilyInstalled(const char* family) {
    NoteFontConfigurationUse();
    PatternHolder pattern(FcPatternCreate());
    if (!pattern ||
        !FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family))) {
        return false;
    }
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) {
        return false;
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternHolder match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) {
        return false;
    }
    FcValue value;
    FcValueBinding binding = FcValueBindingWeak;
    for (int i = 0;
         FcPatternGetWithBinding(pattern.get(), FC_FAMILY, i, &value, &binding) == FcResultMatch;
         ++i) {
        if (value.type != FcTypeString) {
            continue;
        }
        const char* candidate = reinterpret_cast<const char*>(value.u.s);
        const bool requested = strcasecmp(candidate, family) == 0;
        if ((requested || binding != FcValueBindingWeak) &&
            MatchedFamilyIs(match.get(), candidate)) {
            return true;
        }
    }
    return false;
}

} // namespace millconv
