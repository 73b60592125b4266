// Output file naming: the naming template, its placeholders and the relative subfolder.
#include "engine/naming.h"

#include "app/job_state.h"
#include "settings/settings.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <cwctype>
#include <functional>

#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

namespace millconv {

namespace {

// Decodes one UTF-8 sequence at text[pos]; returns its length, 0 when it is not valid.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr std::array<char32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Maps every character; the first one through firstMap, the rest through restMap.
std::string MapText(std::string_view text, wint_t (*firstMap)(wint_t), wint_t (*restMap)(wint_t)) {
    std::string out;
    out.reserve(text.size());
    bool first = true;
    for (size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const size_t length = DecodeUtf8(text, pos, c);
        if (length == 0) {
            out += text[pos++];
            first = false;
            continue;
        }
        const wint_t mapped = (first ? firstMap : restMap)(static_cast<wint_t>(c));
        const auto result = static_cast<char32_t>(mapped);
        if (result > 0x10FFFF || (result >= 0xD800 && result <= 0xDFFF)) {
            out.append(text.substr(pos, length));
        } else {
            AppendUtf8(out, result);
        }
        pos += length;
        first = false;
    }
    return out;
}

// The case tables of the user's locale (LANG, LC_CTYPE, LC_ALL), without touching the
// process-wide locale. File names are UTF-8 here, so a locale without UTF-8 (plain "C")
// gives way to C.UTF-8, which still maps letters beyond ASCII.
locale_t CaseLocale() {
    static const locale_t locale = [] {
        locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (user != nullptr && std::string_view(nl_langinfo_l(CODESET, user)) == "UTF-8") {
            return user;
        }
        if (user != nullptr) {
            freelocale(user);
        }
        return newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

wint_t Upper(wint_t c) {
    const locale_t locale = CaseLocale();
    return locale != nullptr ? towupper_l(c, locale) : std::towupper(c);
}

wint_t Lower(wint_t c) {
    const locale_t locale = CaseLocale();
    return locale != nullptr ? towlower_l(c, locale) : std::towlower(c);
}

// A number right-aligned in five characters padded with '0'; longer ones keep their first five.
std::string FiveCharacters(int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() >= 5) {
        return digits.substr(0, 5);
    }
    return std::string(5 - digits.size(), '0') + digits;
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string InputName() {
    const std::string& input = gJob.currentInput;
    const size_t slash = input.rfind('/');
    return StripExtension(slash == std::string::npos ? std::string_view(input)
                                                     : std::string_view(input).substr(slash + 1));
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of an ASCII placeholder in text, matched without regard to case.
size_t FindIgnoringCase(std::string_view text, std::string_view placeholder, size_t from) {
    if (placeholder.size() > text.size()) {
        return std::string_view::npos;
    }
    for (size_t pos = from; pos + placeholder.size() <= text.size(); ++pos) {
        size_t i = 0;
        while (i < placeholder.size() && AsciiLower(text[pos + i]) == placeholder[i]) {
            ++i;
        }
        if (i == placeholder.size()) {
            return pos;
        }
    }
    return std::string_view::npos;
}

struct Placeholder {
    std::string_view name;
    std::function<std::string()> value;
};

const std::array<Placeholder, 18>& Placeholders() {
    static const std::array<Placeholder, 18> table{{
        {"%filename%", [] { return InputName(); }},
        {"%filename[u]%", [] { return ToUpperText(InputName()); }},
        {"%filename[l]%", [] { return ToLowerText(InputName()); }},
        {"%filename[t]%", [] { return ToTitleText(InputName()); }},
        {"%ext%", [] { return gJob.conversion; }},
        {"%ext[u]%", [] { return ToUpperText(gJob.conversion); }},
        {"%ext[t]%", [] { return ToTitleText(gJob.conversion); }},
        {"%yyyy%", [] { return std::to_string(LocalNow().tm_year + 1900); }},
        {"%mm%", [] { return TwoDigits(LocalNow().tm_mon + 1); }},
        {"%dd%", [] { return TwoDigits(LocalNow().tm_mday); }},
        {"%hh%", [] { return TwoDigits(LocalNow().tm_hour); }},
        {"%ii%", [] { return TwoDigits(LocalNow().tm_min); }},
        {"%ss%", [] { return TwoDigits(LocalNow().tm_sec); }},
        {"%bpp%", [] { return std::to_string(gJob.requestedDepth); }},
        {"%width%", [] { return std::to_string(gJob.imageWidth); }},
        {"%height%", [] { return std::to_string(gJob.imageHeight); }},
        {"%rnd%", [] { return FiveCharacters(gJob.randomNumber); }},
        {"%n%", [] { return FiveCharacters(gJob.sequenceNumber); }},
    }};
    return table;
}

} // namespace

namespace {

// True when text is plain ASCII without letters in [first, last]: no locale maps such text
// in that direction, so the locale tables need not be loaded at all (the common case of the
// default naming template).
bool AsciiWithout(std::string_view text, char first, char last) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || (c >= first && c <= last)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ToUpperText(std::string_view text) {
    return AsciiWithout(text, 'a', 'z') ? std::string(text) : MapText(text, Upper, Upper);
}

std::string ToLowerText(std::string_view text) {
    return AsciiWithout(text, 'A', 'Z') ? std::string(text) : MapText(text, Lower, Lower);
}

std::string ToTitleText(std::string_view text) { return MapText(text, Upper, Lower); }

std::string StripExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return std::string(name);
    }
    return std::string(name.substr(0, dot));
}

std::string ExpandPlaceholders(std::string text) {
    for (const Placeholder& placeholder : Placeholders()) {
        size_t pos = FindIgnoringCase(text, placeholder.name, 0);
        if (pos == std::string::npos) {
            continue;
        }
        const std::string value = placeholder.value();
        while (pos != std::string::npos) {
            text.replace(pos, placeholder.name.size(), value);
            pos = FindIgnoringCase(text, placeholder.name, pos + value.size());
        }
    }
    return text;
}

std::string ExpandFilenameMask() {
    std::string mask = ToLowerText(gSettings.advanced.filenameMask);
    if (mask.empty()) {
        mask = "%filename%.%ext%";
    }
    return ExpandPlaceholders(std::move(mask));
}

std::string BuildOutputPath() {
    std::string path = gJob.outputFolder;
    if (gSettings.advanced.keepSubfolders != 0) {
        path += gJob.relativeSubfolder;
    }
    return path + ExpandFilenameMask();
}

std::string RelativeSubfolder(std::string_view inputPath, std::string_view baseFolder) {
    if (inputPath.empty() || baseFolder.empty()) {
        return {};
    }
    const size_t slash = inputPath.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    const std::string_view folder = inputPath.substr(0, slash + 1);
    // Only a folder that lies below the base yields a subfolder; the base text appearing
    // elsewhere in the path says nothing about nesting.
    if (folder.size() < baseFolder.size() || folder.substr(0, baseFolder.size()) != baseFolder) {
        return {};
    }
    std::string_view rest = folder.substr(baseFolder.size());
    if (baseFolder.back() != '/') {
        if (rest.empty() || rest.front() != '/') {
            return {};
        }
        rest.remove_prefix(1);
    }
    return std::string(rest);
}

} // namespace millconv
