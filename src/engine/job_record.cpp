// The job record, its reset and the run's copies of it.
#include "engine/job_record.h"

#include "engine/batch.h"
#include "engine/output_parameters.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"

#include <random>

namespace millconv {

JobState gJob;
WindowJobState gWindowJob;

int32_t DrawRandomNumber() {
    static thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}

void ResetJobState() {
    gJob.programFolder = ProgramFolder();
    gJob.inputGiven = false;
    gWindowJob.themeRefreshRequest = 0;
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
    gWindowJob.preferencesStartPage = 0;
    ClearInputSet();
    BuildAcceptedExtensions();
}

RunSnapshot TakeRunSnapshot() {
    RunSnapshot run;
    run.transform = gSettings.transform;
    run.adjustment = gSettings.adjustment;
    run.frame = gSettings.frame;
    run.watermark = gSettings.watermark;
    run.advanced = gSettings.advanced;
    run.output = {gJob.conversion, gJob.outputFormatId, gJob.requestedDepth, gJob.saveFlags,
                  gJob.automaticDepth};
    ApplyTextureOptions(run.output, gSettings.output);
    run.outputFolder = gJob.outputFolder;
    run.inputs = InputSet();
    const bool debug = gJob.inputGiven && gJob.runMode == "DEBUG";
    run.reporter = debug ? CurrentEngineReporter() : nullptr;
    return run;
}

FileContext FileContextFromJob() {
    return {gJob.currentInput, gJob.relativeSubfolder, gJob.outputPath,   gJob.sourceDepth,
            gJob.requestedDepth, gJob.imageWidth,      gJob.imageHeight, gJob.randomNumber,
            gJob.sequenceNumber};
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

} // namespace millconv
