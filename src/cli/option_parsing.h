// Pieces of option parsing shared by the command line and profiles: words, values, numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

struct OptionDef;

// The upper-cased option word of a parameter: the whole trimmed parameter when it starts
// with "-", only the part before the first "=" when it starts with "--", else empty.
std::string OptionName(std::string_view parameter);

// The value text of a parameter: after the first "=" of a "--" option that has one at or
// after its third character, otherwise the whole trimmed parameter.
std::string OptionValue(std::string_view parameter);

// The longest value one option takes, from the command line or a profile: longer ones are
// typing slips or hostile input, and a watermark text that long could never be drawn.
inline constexpr size_t kMaxValueLength = 64 * 1024;

// The error text (without "Error: ") for a value of option over kMaxValueLength.
std::string ValueTooLongError(std::string_view option);

// Removes every leading and trailing double quote.
std::string StripQuotes(std::string_view text);

// A count written in decimal digits only, from 1 to largest; empty for anything else (a sign,
// other characters, 0, a value past largest however many digits it has).
std::optional<uint64_t> ReadCount(std::string_view text, uint64_t largest);

// Reads an integer as the command line writes it: blanks and tabs skipped, one sign, then
// "$" and hexadecimal digits, "%" and binary digits, or decimal digits, up to the first
// other character. No digits give 0; the result keeps the low 32 bits.
int32_t ReadInteger(std::string_view text);

// Reads a decimal number with "." as separator; "+Infinity", "-Infinity" and "NaN" in any
// letter case are recognised. Text that is not one number as a whole ("2,5", "1.5x") gives
// 0; surrounding blanks and tabs do not count.
float ReadDecimal(std::string_view text);

// Joins a value the shell split at blanks: when it opens with a double quote but does not
// close with one, following parameters are appended (one blank between) until the value
// ends with a quote or the parameters run out. index moves to the last parameter used.
std::string JoinQuotedValue(std::string value, const std::vector<std::string>& parameters,
                            size_t& index);

// Where a value comes from: profiles trim keyword and text values and switch flags on
// whatever their value says.
enum class ValueSource { CommandLine, Profile };

// Converts a value by the option's class and stores it in the settings record, after the
// option's "also sets" setting. Command-line text values must already be joined and
// stripped of quotes.
void ApplyOption(const OptionDef& option, std::string_view value, ValueSource source);

} // namespace millconv
