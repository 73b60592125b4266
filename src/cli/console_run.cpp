// The console conversion run: checks, debug echo, import, worker and result lines.
#include "cli/console_run.h"

#include <span>
#include <string>
#include <string_view>

#include "base/text.h"
#include "cli/batch_run.h"
#include "cli/debug_echo.h"
#include "cli/watch_run.h"
#include "engine/batch.h"
#include "engine/job_record.h"
#include "engine/output_parameters.h"
#include "engine/watermark.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"

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
    bool CheckOutputFolder();
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
    // A missing path, a folder and an empty file are all refused.
    return FileSize(gJob.currentInput) >= 1;
}

bool ConsoleRun::CheckBatchInputs() {
    for (const std::string& input : batch_->inputs) {
        Echo("Input: " + input);
    }
    gJob.baseFolder.clear();
    if (batch_->inputs.empty()) {
        return false;
    }
    // The default output folder is the folder the first input names or lies in.
    const std::string& first = batch_->inputs.front();
    gJob.currentInput = FolderExists(first) && !first.ends_with('/') ? first + '/' : first;
    return true;
}

bool ConsoleRun::CheckOutputFolder() {
    std::string& folder = gJob.outputFolder;
    if (folder.empty()) {
        folder = FolderOf(gJob.currentInput);
    }
    Echo("Output: " + folder);
    if (folder.starts_with("..")) {
        PrintLine("Error: Incorrect output folder");
        return false;
    }
    if (!folder.starts_with("/")) {
        // Relative folders are found below the program folder, not the current one.
        if (folder.starts_with("./")) {
            folder.erase(0, 2);
        }
        folder = gJob.programFolder + folder;
    }
    if (!folder.ends_with("/")) {
        folder += '/';
    }
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
    const FormatEntry* entry = FindOutputFormat(gJob.conversion);
    if (entry == nullptr) {
        return false;
    }
    // At most the first 127 entries of the list count.
    std::string_view list = entry->depths;
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
    const int32_t* depthSetting = DepthSettingFor(gJob.conversion);
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
    Status(CatalogueText("General", "Preparing"));
    if (!(batch_ != nullptr ? CheckBatchInputs() : CheckInput())) {
        return Fail("Error: Invalid input file");
    }
    if (!CheckOutputFolder() || !CheckFormats() || !CheckOutputSettings()) {
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
    if (!StartConversionWorker()) {
        return Fail(CatalogueText("Msg", "Conversion is not complete"));
    }
    JoinConversionWorker();
    const int32_t converted = ReadProgress().convertedCount;
    if (converted == 0) {
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
