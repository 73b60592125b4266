// What a run may write: one file per output name, and nothing through a symbolic link below
// the output folder.
#pragma once

#include "engine/run.h"

#include <string>

namespace millconv {

// Empty when every folder between outputFolder and the file outputPath names is a real folder
// (a folder that is a symbolic link would let the file land elsewhere); otherwise the reason,
// naming the folder. Folders are opened one level at a time without following links; with
// create set, missing ones are made the same way. outputFolder itself may be a link.
std::string OutputFolderProblem(const std::string& outputFolder, const std::string& outputPath,
                                bool create);

// The last checks before file.outputPath is written: no link below the output folder and no
// other input of the run with the same output name. False after reporting the problem line
// that names the input (and the other input of a clash).
bool OutputMayBeWritten(const RunSnapshot& run, const FileContext& file);

} // namespace millconv
