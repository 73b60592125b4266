// Pieces of option parsing shared by the command line and profiles: words, values, numbers.
#include "cli/option_parsing.h"

#include <algorithm>
#include <limits>
#include <variant>

#include "base/text.h"
#include "cli/option_table.h"
#include "settings/preference_file.h"
#include "settings/settings.h"

namespace millconv {

namespace {

std::string TrimBlanksAndTabs(std::string_view text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool IsSpecialDecimal(std::string_view text) {
    return EqualsIgnoringCase(text, "+Infinity") || EqualsIgnoringCase(text, "-Infinity") ||
           EqualsIgnoringCase(text, "NaN");
}

// The whole text is one number: a sign, digits with an optional fraction (at least one
// digit in all), and an optional exponent with digits.
bool IsPlainDecimal(std::string_view text) {
    size_t pos = 0;
    auto digits = [&] {
        const size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
        return pos - start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    size_t mantissa = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            ++pos;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return pos == text.size();
}

} // namespace

std::string ValueTooLongError(std::string_view option) {
    return "Value of " + std::string(option) + " is longer than " +
           std::to_string(kMaxValueLength) + " bytes";
}

std::string StripQuotes(std::string_view text) {
    size_t first = text.find_first_not_of('"');
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of('"');
    return std::string(text.substr(first, last - first + 1));
}

std::string OptionName(std::string_view parameter) {
    std::string text = TrimSpaces(parameter);
    if (!text.starts_with("-")) {
        return {};
    }
    if (text.starts_with("--")) {
        text = text.substr(0, text.find('='));
    }
    return UpperCase(text);
}

std::string OptionValue(std::string_view parameter) {
    std::string text = TrimSpaces(parameter);
    if (text.starts_with("--")) {
        size_t equals = text.find('=');
        if (equals != std::string::npos && equals >= 2) {
            return text.substr(equals + 1);
        }
    }
    return text;
}

std::optional<uint64_t> ReadCount(std::string_view text, uint64_t largest) {
    uint64_t count = 0;
    for (const char c : text) {
        const auto digit = static_cast<uint64_t>(c - '0');
        if (c < '0' || c > '9' || digit > largest || count > (largest - digit) / 10) {
            return std::nullopt;
        }
        count = count * 10 + digit;
    }
    if (count == 0) {
        return std::nullopt;
    }
    return count;
}

int32_t ReadInteger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    unsigned base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos < text.size() && text[pos] == '%') {
        base = 2;
        ++pos;
    }
    // Unsigned arithmetic wraps instead of overflowing; only the low 32 bits are kept.
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = HexDigitValue(text[pos]);
        if (digit < 0 || digit >= static_cast<int>(base)) {
            break;
        }
        value = value * base + static_cast<uint64_t>(digit);
    }
    if (negative) {
        value = ~value + 1;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

float ReadDecimal(std::string_view text) {
    const std::string number = TrimBlanksAndTabs(text);
    // "2,5" or "1.5x" are no numbers: reading only their start would hide the typo behind
    // a plausible value.
    if (!IsSpecialDecimal(number) && !IsPlainDecimal(number)) {
        return 0.0f;
    }
    const double value = ParseFloat(number);
    // Narrowing a double beyond the float range is undefined: such values become infinite.
    if (value > std::numeric_limits<float>::max()) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -std::numeric_limits<float>::max()) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

std::string JoinQuotedValue(std::string value, const std::vector<std::string>& parameters,
                            size_t& index) {
    if (value.empty() || value.front() != '"' || value.back() == '"') {
        return value;
    }
    while (index + 1 < parameters.size()) {
        ++index;
        value += ' ';
        value += OptionValue(parameters[index]);
        if (!value.empty() && value.back() == '"') {
            break;
        }
    }
    return value;
}

void ApplyOption(const OptionDef& option, std::string_view value, ValueSource source) {
    // The option table resolves its settings while compiling, so every row has one.
    if (option.also != nullptr) {
        AssignInteger(option.also->field(gSettings), option.alsoValue);
    }
    SettingField field = option.setting->field(gSettings);
    switch (option.valueClass) {
    case OptionClass::Keyword:
        AssignInteger(field, LookupKeyword(value, option.table));
        break;
    case OptionClass::Integer:
        AssignInteger(field, ReadInteger(value));
        break;
    case OptionClass::Decimal:
        if (float* const* target = std::get_if<float*>(&field)) {
            **target = ReadDecimal(value);
        }
        break;
    case OptionClass::Text:
        if (std::string* const* target = std::get_if<std::string*>(&field)) {
            if (source == ValueSource::CommandLine) {
                **target = std::string(value);
            } else if (option.word == "--FILENAME-MASK") {
                // A mask may need blanks at its ends; quotes protect them in the file.
                **target = StripQuotes(value);
            } else {
                **target = TrimSpaces(value);
            }
        }
        break;
    case OptionClass::Flag:
        AssignInteger(field, option.flagValue);
        break;
    }
}

} // namespace millconv
