// Small text helpers shared by every layer: ASCII case, case-blind search, extensions and the
// locale-aware case mapping of UTF-8 names.
#include "base/text.h"

#include <array>
#include <cwctype>

#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

namespace millconv {

std::string UpperCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
    return result;
}

std::string LowerCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
    return result;
}

std::string QuotedName(std::string_view name) {
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    if (std::none_of(name.begin(), name.end(), isControl)) {
        return std::string(name);
    }
    std::string quoted = "$'";
    for (const char c : name) {
        switch (c) {
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\\':
        case '\'':
            quoted += '\\';
            quoted += c;
            break;
        default:
            if (isControl(c)) {
                constexpr std::string_view kDigits = "0123456789abcdef";
                const auto byte = static_cast<unsigned char>(c);
                quoted += "\\x";
                quoted += kDigits[byte >> 4];
                quoted += kDigits[byte & 0xF];
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "'";
}

size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.size() > text.size()) {
        return std::string_view::npos;
    }
    for (size_t pos = from; pos + needle.size() <= text.size(); ++pos) {
        if (EqualsIgnoringCase(text.substr(pos, needle.size()), needle)) {
            return pos;
        }
    }
    return std::string_view::npos;
}

std::string ExtensionOf(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

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

std::string TrimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

bool IsInList(const std::vector<std::string>& list, std::string_view text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

std::string ShortenMiddle(std::string_view text, int n) {
    // Counted in characters, not bytes, so a cut never splits a UTF-8 sequence.
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    const auto count = static_cast<long>(starts.size());
    if (text.empty() || count <= n) {
        return std::string(text);
    }
    const long keep = std::max(0L, (static_cast<long>(n) - 3) / 2);
    const size_t headEnd = starts[static_cast<size_t>(keep)];
    const size_t tailStart =
        keep == 0 ? text.size() : starts[starts.size() - static_cast<size_t>(keep)];
    return std::string(text.substr(0, headEnd)) + "..." + std::string(text.substr(tailStart));
}

} // namespace millconv
