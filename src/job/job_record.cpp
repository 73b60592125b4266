// The job record, its input set, its reset and the requests built from it.
#include "job/job_record.h"

#include "base/text.h"
#include "engine/naming.h"
#include "engine/output_parameters.h"
#include "engine/report.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"

namespace millconv {

JobState gJob;

namespace {

InputSetMap gInputSet;

} // namespace

InputSetMap& InputSet() { return gInputSet; }

void ClearInputSet() { gInputSet.clear(); }

bool AddInputFile(const std::string& path) {
    if (FileSize(path) == 0 || !IsInList(AcceptedExtensions(), ToLowerText(ExtensionOf(path)))) {
        return false;
    }
    gInputSet.clear();
    gInputSet[path] = InputEntry{1, RelativeSubfolder(path, gJob.baseFolder)};
    return true;
}

void ResetJobState() {
    gJob.programFolder = ProgramFolder();
    gJob.inputGiven = false;
    gJob.randomNumber = DrawRandomNumber();
    gJob.sequenceNumber = 1;
    gJob.inputFormat.clear();
    gJob.currentInput.clear();
    gJob.baseFolder.clear();
    gJob.relativeSubfolder.clear();
    gJob.outputPath.clear();
    gJob.outputFolder.clear();
    gJob.conversion.clear();
    gJob.sourceDepth = 0;
    gJob.requestedDepth = 0;
    gJob.outputFormatId = 0;
    gJob.saveFlags = 0;
    gJob.automaticDepth = false;
    ClearInputSet();
    BuildAcceptedExtensions();
}

OutputParameters OutputParametersOfJob() {
    OutputParameters output{gJob.conversion, gJob.outputFormatId, gJob.requestedDepth,
                            gJob.saveFlags, gJob.automaticDepth};
    ApplyTextureOptions(output, gSettings.output);
    return output;
}

void PrepareOutputParameters() {
    OutputParameters output = OutputParametersOfJob();
    PrepareOutputParameters(output, gSettings.output);
    gJob.outputFormatId = output.formatId;
    gJob.requestedDepth = output.requestedDepth;
    gJob.saveFlags = output.saveFlags;
    gJob.automaticDepth = output.automaticDepth;
}

void StoreRunOutput(const RunSnapshot& run) {
    gJob.outputFolder = run.outputFolder;
    gJob.conversion = run.output.conversion;
    gJob.outputFormatId = run.output.formatId;
    gJob.requestedDepth = run.output.requestedDepth;
    gJob.saveFlags = run.output.saveFlags;
    gJob.automaticDepth = run.output.automaticDepth;
}

RunSnapshot TakeRunSnapshot() {
    RunSnapshot run;
    run.transform = gSettings.transform;
    run.adjustment = gSettings.adjustment;
    run.frame = gSettings.frame;
    run.watermark = gSettings.watermark;
    run.advanced = gSettings.advanced;
    run.output = OutputParametersOfJob();
    run.outputFolder = gJob.outputFolder;
    run.inputs = InputSet();
    const bool debug = gJob.inputGiven && gJob.runMode == "DEBUG";
    run.reporter = debug ? CurrentEngineReporter() : nullptr;
    return run;
}

FileContext FileContextFromJob() {
    return {gJob.currentInput, gJob.relativeSubfolder, gJob.outputPath,
            gJob.sourceDepth,  gJob.requestedDepth,    gJob.imageWidth,
            gJob.imageHeight,  gJob.randomNumber,      gJob.sequenceNumber};
}

void StoreFileContext(const FileContext& file) {
    gJob.currentInput = file.currentInput;
    gJob.relativeSubfolder = file.relativeSubfolder;
    gJob.outputPath = file.outputPath;
    gJob.sourceDepth = file.sourceDepth;
    gJob.requestedDepth = file.requestedDepth;
    gJob.imageWidth = file.imageWidth;
    gJob.imageHeight = file.imageHeight;
    gJob.randomNumber = file.randomNumber;
    gJob.sequenceNumber = file.sequenceNumber;
}

RunRequest JobRunRequest() {
    RunRequest request;
    request.snapshot = TakeRunSnapshot();
    request.start = FileContextFromJob();
    return request;
}

} // namespace millconv
