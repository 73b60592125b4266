// The console's quicker reading of the font configuration, held against fontconfig's own.
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

#include "draw_test_support.h"
#include "engine/draw_module.h"

namespace millconv::test {
namespace {

using FileList = std::vector<std::string>;

// The font files a configuration picks for a pattern: the match first, then the sorted
// fallback list, as Pango asks for them.
FileList ChosenFiles(FcConfig* config, const char* name) {
    FileList files;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcChar8* file = nullptr;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            files.emplace_back(reinterpret_cast<const char*>(file));
        }
        FcPatternDestroy(match);
    }
    if (FcFontSet* sorted = FcFontSort(config, pattern, FcTrue, nullptr, &result)) {
        for (int i = 0; i < sorted->nfont; ++i) {
            if (FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
                files.emplace_back(reinterpret_cast<const char*>(file));
            }
        }
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return files;
}

FileList Folders(FcStrList* list) {
    FileList folders;
    while (const FcChar8* folder = FcStrListNext(list)) {
        folders.emplace_back(reinterpret_cast<const char*>(folder));
    }
    FcStrListDone(list);
    return folders;
}

// Names that go through aliases, styles, languages, generic families and the fallback.
constexpr const char* kPatterns[] = {
    "Sans",          "Serif",         "Monospace",         "Arial",
    "Times New Roman", "Courier New", "DejaVu Sans:bold",  "Liberation Mono:italic",
    "Helvetica:weight=200", "NoSuchFamily", "sans-serif:lang=ja", "Serif:slant=100:lang=fa",
};

// fontconfig is read once per process: each check runs in a fresh one.
using FontConfigurationTest = FreshProcessDrawTest;

TEST_F(FontConfigurationTest, QuickReadingChoosesWhatTheLibrarysOwnStartUpChooses) {
    EXPECT_EXIT(
        {
            Drawing* drawing = GetDrawing();
            if (drawing == nullptr) {
                std::exit(2);
            }
            drawing->PrepareFontConfiguration();
            FcConfig* quick = FcConfigGetCurrent();
            FcConfig* own = FcInitLoadConfigAndFonts();
            bool same = own != nullptr && quick != own &&
                        Folders(FcConfigGetFontDirs(quick)) == Folders(FcConfigGetFontDirs(own)) &&
                        Folders(FcConfigGetCacheDirs(quick)) == Folders(FcConfigGetCacheDirs(own));
            for (const char* name : kPatterns) {
                const FileList chosen = ChosenFiles(quick, name);
                same = same && !chosen.empty() && chosen == ChosenFiles(own, name);
            }
            if (own != nullptr) {
                FcConfigDestroy(own);
            }
            std::exit(same ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Once the layer has used fonts (a window, a test), the configuration in use stays.
TEST_F(FontConfigurationTest, ConfigurationInUseIsKept) {
    EXPECT_EXIT(
        {
            Drawing* drawing = GetDrawing();
            if (drawing == nullptr || drawing->LoadFont({"DejaVu Sans", 12}) == nullptr) {
                std::exit(2);
            }
            FcConfig* before = FcConfigGetCurrent();
            drawing->PrepareFontConfiguration();
            std::exit(FcConfigGetCurrent() == before ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace millconv::test
