// Writer flags of an output format, read from its row.
#include "settings/output_formats.h"

namespace millconv {

namespace {

int32_t ValueOf(const FormatOption& option, const Settings::Output& output) {
    return std::visit([&output](auto member) { return static_cast<int32_t>(output.*member); },
                      option.member);
}

int32_t FlagsOf(const FormatOption& option, int32_t value) {
    switch (option.rule) {
    case FlagRule::None:
        return 0;
    case FlagRule::Compression:
    case FlagRule::Choice:
        return value >= 0 && static_cast<size_t>(value) < option.choices.size()
                   ? option.choices[static_cast<size_t>(value)].flag
                   : 0;
    case FlagRule::Quality:
        if (option.flag != 0 && value == option.high) {
            return option.flag;
        }
        return value >= option.low && value <= option.high ? value : 0;
    case FlagRule::Switch:
        return value != 0 ? option.flag : 0;
    }
    return 0;
}

} // namespace

int32_t SaveFlagsOf(const OutputFormat& format, const Settings::Output& output) {
    int32_t flags = format.fixedFlags;
    for (const FormatOption& option : format.options) {
        flags |= FlagsOf(option, ValueOf(option, output));
    }
    return flags;
}

} // namespace millconv
