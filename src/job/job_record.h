// The job record: what the front ends hold of the current conversion job (with its input set),
// and the run request they build from it.
#pragma once

#include "engine/conversion_run.h"
#include "engine/run.h"

#include <cstdint>
#include <string>

namespace millconv {

// Filled by the front ends (console run or window). The engine never reads it: a run is
// made from a request built from it, and the front end copies back the last file's fields
// from the run's outcome.
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

// The input set of the job: the files the front end has accepted for its next run. // Keyed by full
// path. The console adds one file, the window the file of its input field; a run takes a copy.
InputSetMap& InputSet();
void ClearInputSet();

// Accepts a non-empty file (a missing one passes) whose lower-cased extension is an accepted
// input extension, and makes it the only entry of the input set, with its subfolder below the
// job's base folder.
bool AddInputFile(const std::string& path);

// Resets the job for a new run: program folder, counters, output fields, the input set and the
// accepted input extensions. Run mode and image size are kept.
void ResetJobState();

// Fills the job's output format id, requested depth, save flags and automatic-depth flag for
// the output extension in gJob.conversion, from the settings record (see the engine's
// PrepareOutputParameters).
void PrepareOutputParameters();

// Keeps the output folder and output parameters of a run the front end built in the job record.
void StoreRunOutput(const RunSnapshot& run);

// The job's output parameters, with the TGA choices of the settings record.
OutputParameters OutputParametersOfJob();

// The run's view of the job: the settings sections a run reads, the output parameters, the
// output folder and the input set, copied now; a debugging console job reports its lines.
RunSnapshot TakeRunSnapshot();

// The per-file fields of the job record, and their copy back after a run.
FileContext FileContextFromJob();
void StoreFileContext(const FileContext& file);

// A one-worker request for the job: TakeRunSnapshot and FileContextFromJob.
RunRequest JobRunRequest();

} // namespace millconv
