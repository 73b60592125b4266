// The inputs of a batch run: files and whole folders, gathered into one input set.
#pragma once

#include "engine/run.h"

#include <string>
#include <vector>

namespace millconv {

// Gathers the given paths into an input set keyed by full path (so a run takes them in path
// order). A file counts when it is not empty and its lower-cased extension is an accepted
// input extension; a folder stands for every such file below it, at any depth, and is their
// base folder, so each entry carries its subfolder below it. Relative paths are taken from
// the current folder; missing paths and symbolic links to folders inside a tree add nothing.
InputSetMap CollectBatchInputs(const std::vector<std::string>& paths);

} // namespace millconv
