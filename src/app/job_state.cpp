// The job record and its reset.
#include "app/job_state.h"

#include "engine/batch.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"

#include <random>

namespace millconv {

JobState gJob;

int32_t DrawRandomNumber() {
    static thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}

void ResetJobState() {
    gJob.programFolder = ProgramFolder();
    gJob.inputGiven = false;
    gJob.themeRefreshRequest = 0;
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
    gJob.preferencesStartPage = 0;
    ClearInputSet();
    BuildAcceptedExtensions();
}

} // namespace millconv
