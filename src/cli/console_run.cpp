// The console conversion run: checks, debug echo, import, worker and result lines.
#include "cli/console_run.h"

#include <span>
#include <string>
#include <string_view>

#include "base/text.h"
#include "cli/batch_run.h"
#include "cli/debug_echo.h"
#include "cli/watch_run.h"
#include "engine/conversion_run.h"
#include "engine/draw_module.h"
#include "engine/output_parameters.h"
#include "engine/png_prefetch.h"
#include "engine/watermark.h"
#include "job/job_record.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/output_formats.h"

namespace millconv {

namespace {

// The loaded watermark font is released however the run ends.
struct FontRelease {
    ~FontRelease() {
        if (WatermarkFontLoaded()) {
            FreeWatermarkFont();
        }
    }
};

// A file decoded ahead and never taken (a later check failed) is waited for and freed.
struct PrefetchRelease {
    ~PrefetchRelease() { DropPrefetchedPng(); }
};

class ConsoleRun {
  public:
    ConsoleRun(bool quiet, const BatchRequest* batch)
        : quiet_(quiet), debug_(gJob.runMode == "DEBUG"), batch_(batch) {}

    int Run();

  private:
    void Status(std::string_view line) const {
        if (!quiet_) {
            PrintLine(line);
        }
    }

    void Echo(std::string_view line) const {
        if (debug_) {
            PrintLine(line);
        }
    }

    // Prints an error line (also when quiet) and gives the failing exit status.
    static int Fail(std::string_view line) {
        PrintLine(line);
        return 1;
    }

    void EchoRowLine(const EchoRow& row) const {
        if (!debug_ || row.label.empty()) {
            return;
        }
        if (const std::string line = EchoLine(row, gJob.conversion); !line.empty()) {
            PrintLine(line);
        }
    }

    // Echoes and checks rows in order; false after printing the first failing check.
    bool RunRows(std::span<const EchoRow> rows) const {
        for (const EchoRow& row : rows) {
            EchoRowLine(row);
            if (row.check.accept != nullptr && !row.check.accept()) {
                PrintLine(row.check.error);
                return false;
            }
        }
        return true;
    }

    bool CheckInput();
    bool CheckBatchInputs();
    bool CheckOutputFolder(const std::string& firstInput);
    bool CheckFormats();
    bool CheckOutputSettings();
    bool DepthAllowed(int32_t depth) const;

    bool quiet_;
    bool debug_;
    const BatchRequest* batch_;
};

bool ConsoleRun::CheckInput() {
    const std::string given = gJob.baseFolder;
    Echo("Input: " + given);
    gJob.baseFolder.clear();
    if (ExtensionOf(given).empty()) {
        return false;
    }
    gJob.currentInput = given;
    // A missing path, a folder and an empty file are all refused; stderr says which.
    const int64_t size = FileSize(gJob.currentInput);
    if (size < 1) {
        const std::string reason = size == -2  ? "is a folder"
                                   : size == 0 ? "is empty"
                                               : FileProblem(gJob.currentInput);
        PrintErrorLine("millconv: " + given + ": " + reason);
    }
    return size >= 1;
}

bool ConsoleRun::CheckBatchInputs() {
    for (const std::string& input : batch_->inputs) {
        Echo("Input: " + input);
    }
    gJob.baseFolder.clear();
    return !batch_->inputs.empty();
}

// An empty output folder becomes the folder firstInput names or lies in.
bool ConsoleRun::CheckOutputFolder(const std::string& firstInput) {
    std::string& folder = gJob.outputFolder;
    if (folder.empty()) {
        folder = FolderOf(FolderExists(firstInput) && !firstInput.ends_with('/') ? firstInput + '/'
                                                                                 : firstInput);
    }
    Echo("Output: " + folder);
    if (folder.starts_with("..")) {
        PrintLine("Error: Incorrect output folder");
        return false;
    }
    // No folder at all (an input named without one) is the current folder too.
    folder = AbsoluteFolder(folder);
    if (!FolderExists(folder)) {
        PrintLine("Error: Invalid output folder");
        return false;
    }
    return true;
}

bool ConsoleRun::CheckFormats() {
    if (gJob.inputFormat.empty() && !InputFormatList().empty()) {
        gJob.inputFormat = InputFormatList().front();
    }
    if (gJob.conversion.empty() && !OutputFormatList().empty()) {
        gJob.conversion = OutputFormatList().front();
    }
    Echo("Conversion: " + gJob.conversion);
    for (const std::string& extension : OutputFormatList()) {
        if (extension == gJob.conversion) {
            return true;
        }
    }
    PrintLine("Error: Invalid conversion type");
    return false;
}

bool ConsoleRun::DepthAllowed(int32_t depth) const {
    if (depth == 0) {
        return true;
    }
    const OutputFormat* format = FindWritableFormat(gJob.conversion);
    if (format == nullptr) {
        return false;
    }
    // At most the first 127 entries of the list count.
    std::string_view list = format->depths;
    for (int examined = 0; examined < 127 && !list.empty(); ++examined) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        if (item == std::to_string(depth)) {
            return true;
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

bool ConsoleRun::CheckOutputSettings() {
    for (const EchoRow& row : InputEchoRows(gJob.inputFormat)) {
        EchoRowLine(row);
    }
    const int32_t* depthSetting = DepthSettingFor(gJob.conversion, gSettings.output);
    const int32_t depth = depthSetting != nullptr ? *depthSetting : 0;
    if (depthSetting != nullptr) {
        Echo(UpperCase(gJob.conversion) + " BPP: " + std::to_string(depth));
    }
    const std::span<const EchoRow> rows = OutputEchoRows(gJob.conversion);
    for (const EchoRow& row : rows) {
        EchoRowLine(row);
    }
    if (!DepthAllowed(depth)) {
        PrintLine("Error: Invalid " + LowerCase(gJob.conversion) + "-bpp value");
        return false;
    }
    for (const EchoRow& row : rows) {
        if (row.check.accept != nullptr && !row.check.accept()) {
            PrintLine(row.check.error);
            return false;
        }
    }
    return true;
}

int ConsoleRun::Run() {
    FontRelease fontRelease;
    PrefetchRelease prefetchRelease;
    Status(CatalogueText("General", "Preparing"));
    if (!(batch_ != nullptr ? CheckBatchInputs() : CheckInput())) {
        return Fail("Error: Invalid input file");
    }
    // A watermark's checks load the drawing module and the font or picture first, a frame
    // the module: the file is decoded on the other processor meanwhile.
    const bool framed = gSettings.frame.doFrame == 1;
    if (batch_ == nullptr && (gSettings.watermark.doWatermark != 0 || framed) &&
        IsInList(AcceptedExtensions(), ToLowerText(ExtensionOf(gJob.currentInput)))) {
        PrefetchPng(gJob.currentInput);
        if (framed) {
            PreloadDrawing();
        }
    }
    const std::string& firstInput = batch_ != nullptr ? batch_->inputs.front() : gJob.currentInput;
    if (!CheckOutputFolder(firstInput) || !CheckFormats() || !CheckOutputSettings()) {
        return 1;
    }
    for (const EchoBlock& block : TransformEchoBlocks()) {
        if (BlockApplies(block) && !RunRows(block.rows)) {
            return 1;
        }
    }
    PrepareOutputParameters();
    if (batch_ != nullptr) {
        return batch_->watch ? RunWatchConversion(quiet_, *batch_)
                             : RunBatchConversion(quiet_, *batch_);
    }

    Status(CatalogueText("General", "Importing"));
    int added = 0;
    const std::string extension = LowerCase(ExtensionOf(gJob.currentInput));
    if (extension != "txt" && extension != "lst" && AddInputFile(gJob.currentInput)) {
        added = 1;
    }
    Status(FormatMessage(CatalogueText("Msg", "Import complete"), std::to_string(added)));
    if (added == 0) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
        PrintLine(CatalogueText("Msg", "Empty input files"));
        return 1;
    }

    Status(CatalogueText("General", "Converting"));
    // One worker: the file is converted on this thread.
    ConversionRun run(JobRunRequest());
    const RunOutcome outcome = run.Run();
    StoreFileContext(outcome.lastFile);
    const int32_t converted = outcome.converted;
    const ProgressSnapshot progress = run.ReadProgress();
    if (converted == 0) {
        // The result line says that it failed; stderr says why.
        if (!progress.failure.empty()) {
            PrintErrorLine(progress.failure);
        }
        return Fail(CatalogueText("Msg", "Conversion is not complete"));
    }
    Status(CatalogueText("Msg", "Conversion complete"));
    Status(FormatMessage(CatalogueText("Msg", "Files converted"), std::to_string(converted),
                         std::to_string(added)));
    return 0;
}

} // namespace

int RunConsoleConversion(bool quiet) { return ConsoleRun(quiet, nullptr).Run(); }

int RunConsoleConversion(bool quiet, const BatchRequest& batch) {
    return ConsoleRun(quiet, &batch).Run();
}

} // namespace millconv
