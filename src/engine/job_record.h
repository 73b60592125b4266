// The job record: the one process-wide description of the current conversion job.
#pragma once

#include "engine/run.h"

#include <cstdint>
#include <string>

namespace millconv {

// Filled by the starter (console run or window). A run reads a snapshot of it; the per-file
// fields hold the last converted file's values once the run has been joined.
struct JobState {
    std::string programFolder;     // folder of the executable, ending with '/'
    std::string currentInput;      // full path of the input being converted
    std::string baseFolder;        // base of relative subfolders; raw -i value in a console run
    std::string relativeSubfolder; // subfolder below the base folder, ending with '/', or empty
    std::string outputPath;        // file written for the current input
    std::string outputFolder;      // output folder of the job, ending with '/' once checked
    int32_t randomNumber = 0;      // %rnd%
    int32_t sequenceNumber = 0;    // %n%
    std::string inputFormat;       // input extension selecting the console echo lines
    int32_t sourceDepth = 0;       // bits per pixel of the current input as loaded
    int32_t outputFormatId = 0;    // FreeImage format id of the output extension
    std::string conversion;        // output extension, lower case
    int32_t requestedDepth = 0;    // wanted output bpp; 0 automatic
    int32_t saveFlags = 0;         // flags for the FreeImage writer
    bool automaticDepth = false;   // requested depth chosen per file
    bool inputGiven = false;       // set by -i: a console job
    std::string runMode;           // "DEBUG", "T" or empty; survives ResetJobState
    int32_t imageWidth = 0;        // size after rotation and resizing; survives ResetJobState
    int32_t imageHeight = 0;
};

extern JobState gJob;

// Job fields only the window uses; they move to the window code once it holds its own state.
struct WindowJobState {
    int32_t themeRefreshRequest = 0;
    std::string converterSource; // last Find a File Converter search; survives ResetJobState
    std::string converterTarget;
    int8_t preferencesStartPage = 0;
};

extern WindowJobState gWindowJob;

// Resets the job for a new run: program folder, counters, output fields, the input set, the
// accepted input extensions, the theme refresh request and the preferences start page. Run
// mode, image size and converter fields are kept.
void ResetJobState();

// A uniform random number in 1..99999 for %rnd%.
int32_t DrawRandomNumber();

// The run's view of the job: the settings sections a run reads, the output parameters, the
// output folder and the input set, copied now.
RunSnapshot TakeRunSnapshot();

// The per-file fields of the job record, and their copy back after a run.
FileContext FileContextFromJob();
void StoreFileContext(const FileContext& file);

} // namespace millconv
