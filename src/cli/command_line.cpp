// Command-line front end: first-parameter commands, the parse loop and its outcome.
#include "cli/command_line.h"

#include <algorithm>
#include <iterator>
#include <random>

#include "base/product.h"
#include "base/text.h"
#include "cli/batch_run.h"
#include "cli/command_line_parse.h"
#include "cli/console_run.h"
#include "cli/option_parsing.h"
#include "cli/option_table.h"
#include "engine/size_limits.h"
#include "job/job_record.h"
#include "platform/module_loader.h"
#include "platform/random_seed.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

namespace millconv {

namespace {

constexpr const char* kIncorrectParameters = "Incorrect number of parameters";
constexpr const char* kInvalidProfile = "Invalid profile file";
// Eighteen digits: any budget a machine could hold, with room to spare.
constexpr uint64_t kLargestMaxPixels = 999'999'999'999'999'999;

// The maker notice and web address shown above a console run.

// Entry points of the window module for the two first-parameter commands that need it.
constexpr const char* kUiModule = "millconv-ui.so";
constexpr const char* kUninstallEntry = "millconv_run_uninstall";
constexpr const char* kScreenshotEntry = "millconv_run_screenshots";
using UninstallEntry = int (*)();
using ScreenshotEntry = int (*)(const char* folder);

// The parse loop: parameters in order, options that take the next parameter advance the
// index; the first error ends the loop.
class Parser {
  public:
    explicit Parser(const std::vector<std::string>& parameters) : parameters_(parameters) {}

    ParseOutcome Run() {
        for (index_ = 0; index_ < parameters_.size() && outcome_.error.empty(); ++index_) {
            HandleParameter();
        }
        return outcome_;
    }

  private:
    std::string ValueAt(size_t index) const {
        return index < parameters_.size() ? OptionValue(parameters_[index]) : std::string();
    }

    void HandleParameter() {
        const std::string word = OptionName(parameters_[index_]);
        if (word == "-I" || word == "--INPUT") {
            HandlePathOption(word, gJob.baseFolder);
        } else if (word == "-O" || word == "--OUTPUT") {
            HandlePathOption(word, gJob.outputFolder);
        } else if (word == "-C" || word == "--CONVERSION") {
            HandlePathOption(word, gJob.conversion);
        } else if (word == "--PROFILE") {
            HandleProfile();
        } else if (word == "--MAX-PIXELS") {
            HandleMaxPixels();
        } else if (word == "--BATCH") {
            outcome_.batch = true;
        } else if (word == "--WATCH") {
            outcome_.watch = true;
        } else if (word == "--SHARD") {
            outcome_.shardGiven = true;
            outcome_.shard = ValueAt(index_);
        } else if (word == "--JOBS") {
            TakeValue(outcome_.jobs);
        } else if (word == "-D" || word == "--DEBUG") {
            gJob.runMode = "DEBUG";
        } else if (word == "-Q" || word == "--QUIET") {
            outcome_.quiet = true;
        } else if (word == "-P" || word == "--PAUSE") {
            outcome_.pause = true;
        } else if (const OptionDef* option = FindOption(word)) {
            HandleSettingOption(*option);
        } else if (word.starts_with("-")) {
            // Ignored, but a typo must not pass unnoticed: the caller warns on stderr.
            outcome_.unknownOptions.push_back(parameters_[index_]);
        } else {
            // Ignored unless --batch makes them inputs.
            outcome_.operands.push_back(parameters_[index_]);
        }
    }

    // -i, -o and -c: the job record field they write is target.
    void HandlePathOption(const std::string& word, std::string& target) {
        const bool conversion = &target == &gJob.conversion;
        if (&target == &gJob.baseFolder) {
            gJob.inputGiven = true; // even when the value is then refused
        }
        if (!word.starts_with("--")) {
            ++index_; // the short form takes the next parameter
        }
        std::string value = ValueAt(index_);
        if (value.empty() || value.front() == '-') {
            outcome_.error = kIncorrectParameters;
            return;
        }
        if (!conversion) {
            value = JoinQuotedValue(std::move(value), parameters_, index_);
        }
        target = StripQuotes(value);
        RefuseLongValue(word, target);
        if (&target == &gJob.baseFolder) {
            outcome_.inputs.push_back(target);
        }
    }

    // Values over the length limit stop the parse with a line naming the option.
    void RefuseLongValue(std::string_view word, const std::string& value) {
        if (value.size() > kMaxValueLength && outcome_.error.empty()) {
            outcome_.error = ValueTooLongError(LowerCase(word));
        }
    }

    // --max-pixels=N: the pixel budget of every image of the run, N a positive decimal.
    void HandleMaxPixels() {
        std::string value;
        if (!TakeValue(value)) {
            return;
        }
        const std::optional<uint64_t> pixels = ReadCount(value, kLargestMaxPixels);
        if (!pixels) {
            outcome_.error = "Invalid max-pixels value";
            return;
        }
        SetPixelBudget(*pixels);
    }

    // Values of setting options come from the option's own "=": never the next parameter.
    bool TakeValue(std::string& value) {
        value = ValueAt(index_);
        if (value.empty() || value.starts_with("--")) {
            outcome_.error = kIncorrectParameters;
            return false;
        }
        return true;
    }

    std::string TakeText(std::string value) {
        return StripQuotes(JoinQuotedValue(std::move(value), parameters_, index_));
    }

    void HandleSettingOption(const OptionDef& option) {
        if (option.valueClass == OptionClass::Flag) {
            ApplyOption(option, {}, ValueSource::CommandLine);
            return;
        }
        std::string value;
        if (!TakeValue(value)) {
            return;
        }
        if (option.valueClass == OptionClass::Text) {
            value = TakeText(std::move(value));
        }
        RefuseLongValue(option.word, value);
        if (!outcome_.error.empty()) {
            return;
        }
        ApplyOption(option, value, ValueSource::CommandLine);
    }

    void HandleProfile() {
        std::string value;
        if (!TakeValue(value)) {
            return;
        }
        const std::string path = TakeText(std::move(value));
        RefuseLongValue("--profile", path);
        std::string error;
        if (outcome_.error.empty() && !LoadProfile(path, &error)) {
            outcome_.error = error.empty() ? kInvalidProfile : error;
        }
    }

    const std::vector<std::string>& parameters_;
    size_t index_ = 0;
    ParseOutcome outcome_;
};

std::string ProgramBaseName(std::string_view invocation) {
    std::string name(invocation);
    if (size_t slash = name.rfind('/'); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? std::string(kProgramName) : name;
}

int RunUiCommand(const std::string& word, const std::vector<std::string>& parameters) {
    std::string error;
    if (word == "-U") {
        auto entry =
            reinterpret_cast<UninstallEntry>(LoadModuleEntry(kUiModule, kUninstallEntry, error));
        if (entry == nullptr) {
            PrintErrorLine(error);
            return 1;
        }
        return entry();
    }
    auto entry =
        reinterpret_cast<ScreenshotEntry>(LoadModuleEntry(kUiModule, kScreenshotEntry, error));
    if (entry == nullptr) {
        PrintErrorLine(error);
        return 1;
    }
    gJob.runMode.assign(1, 'T'); // assigning the literal trips a false GCC 12 warning
    const std::string folder = parameters.size() > 1 ? OptionValue(parameters[1]) : std::string();
    return entry(folder.c_str());
}

// The commands that stand alone as the first parameter: window-module commands, version and
// help. Nothing when the first parameter is none of them.
std::optional<int> RunFirstParameterCommand(const std::vector<std::string>& parameters,
                                            std::string_view invocation,
                                            const InstanceGuard& guard) {
    const std::string first = OptionName(parameters.front());
    constexpr std::string_view kCommands[] = {"-U", "-T", "-V", "--VERSION", "-H", "-?", "--HELP"};
    if (std::find(std::begin(kCommands), std::end(kCommands), first) == std::end(kCommands)) {
        return std::nullopt;
    }
    if (std::optional<int> refused = guard ? guard() : std::nullopt) {
        return refused;
    }
    if (first == "-U" || first == "-T") {
        return RunUiCommand(first, parameters);
    }
    if (first == "-V" || first == "--VERSION") {
        SetConsoleTitle(AppTitle());
        PrintLine(VersionText(kVersionNumber));
        return 0;
    }
    if (first == "-H" || first == "-?" || first == "--HELP") {
        SetConsoleTitle(AppTitle());
        for (const std::string& line : UsageLines(ProgramBaseName(invocation))) {
            PrintLine(line);
        }
        return 0;
    }
    return std::nullopt;
}

} // namespace

void PrintReport(ReportKind kind, std::string_view line) {
    if (kind == ReportKind::Detail) {
        PrintLine(line);
    } else {
        PrintErrorLine(line);
    }
}

ParseOutcome ParseParameters(const std::vector<std::string>& parameters) {
    return Parser(parameters).Run();
}

std::vector<std::string> UsageLines(const std::string& programName) {
    // Each example line shows a randomly chosen input extension of this build.
    static std::mt19937 generator{RandomSeed()};
    const std::vector<std::string>& extensions = InputFormatList();
    auto example = [&](std::string_view line) {
        std::string extension;
        if (!extensions.empty()) {
            std::uniform_int_distribution<size_t> pick(0, extensions.size() - 1);
            extension = extensions[pick(generator)];
        }
        return FormatMessage(line, programName, extension);
    };
    return {
        " ",
        FormatMessage("Usage: %s1% -i <filename> [options]", programName),
        " ",
        example("  %s1% -i example.%s2%"),
        example("  %s1% -i /tmp/example.%s2%"),
        example("  %s1% -i /tmp/example.%s2% -o /tmp/converted"),
        example("  %s1% -i /tmp/example.%s2% -o /tmp/converted --jpg-quality=95"),
        " ",
        "Options:",
        " ",
        "  -h, -?, --help            Display this help and exit",
        "  -i FILE, --input=FILE     Set input file",
        "  -o PATH, --output=PATH    Set output folder",
        "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)",
        " ",
        "Advanced options:",
        " ",
        "  --width=NUM               Set output image width",
        "  --height=NUM              Set output image height",
        "  --filename-mask=STR       Define output filename format",
        "  --flip-horizontal         Flip output image horizontally",
        "  --flip-vertical           Flip output image vertically",
        "  --brightness=NUM          Set output image brightness, NUM = -100..100",
        "  --contrast=NUM            Set output image contrast, NUM = -100..100",
        "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
        "  --invert                  Invert output image",
        "  --greyscale               Greyscale output image",
        "  --profile=FILE            Set configuration file with required settings",
        "    ...                     Refer documentation for all available options",
        " ",
        "Other options:",
        " ",
        "  -q, --quiet               Don't print status messages to stdout",
        "  -d, --debug               Print debug information to stdout",
        "  -p, --pause               Pause at exit",
        "  -v, --version             Display version information and exit",
        " ",
        "Batch and texture options:",
        " ",
        "  --batch                   Convert every input file and folder given",
        "  --jobs=N                  With --batch: convert N files at a time",
        "  --no-subfolders           With --batch: no subfolders below the output folder",
        "  --tga-alpha=flatten|keep  Flatten transparency onto white or keep it (32 bpp)",
        "  --tga-origin=bottom-left|top-left  Write TGA rows bottom first or top first",
        "  --max-pixels=N            Refuse images of more than N pixels",
    };
}

std::optional<int> RunCommandLine(const std::vector<std::string>& parameters,
                                  std::string_view invocation, const InstanceGuard& guard) {
    // The engine reports through the console from here on, in the window mode too.
    SetEngineReporter(PrintReport);
    if (parameters.empty()) {
        return guard ? guard() : std::nullopt;
    }
    ResetJobState();
    SetDefaultSettings(true);
    SetPixelBudget(kDefaultPixelBudget);
    BuildMessageCatalogue();

    if (std::optional<int> status = RunFirstParameterCommand(parameters, invocation, guard)) {
        return status;
    }

    const ParseOutcome outcome = ParseParameters(parameters);
    const bool manyInputs = outcome.batch || outcome.watch;
    if (std::optional<int> refused = !manyInputs && guard ? guard() : std::nullopt) {
        return refused;
    }
    for (const std::string& unknown : outcome.unknownOptions) {
        PrintErrorLine("millconv: unknown option ignored: " + unknown);
    }
    const std::string error = outcome.error.empty() ? ShardError(outcome) : outcome.error;
    if (!error.empty()) {
        SetConsoleTitle(AppTitle());
        PrintLine("Error: " + error);
        if (outcome.pause) {
            WaitForKey();
        }
        return 1;
    }
    if (!gJob.inputGiven && !manyInputs) {
        // The window mode sets every setting again from config.ini.
        return std::nullopt;
    }
    SetConsoleTitle(AppTitle());
    if (!outcome.quiet) {
        PrintLine(AppTitle());
        PrintLine(kMakerNotice);
        PrintLine(kMakerWebAddress);
        PrintLine(" ");
    }
    const int status = manyInputs ? RunConsoleConversion(outcome.quiet, BatchRequestOf(outcome))
                                  : RunConsoleConversion(outcome.quiet);
    if (outcome.pause) {
        PrintLine("Press any key to exit.");
        WaitForKey();
    }
    return status;
}

} // namespace millconv
