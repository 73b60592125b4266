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
// the current folder; symbolic links to folders inside a tree add nothing. A given path that
// does not exist and every folder that cannot be read (its name, the reason) add a line to
// problems when given; the walk goes on past them. The walk holds one folder open at a time
// and its memory grows with the depth of the tree, not its square.
InputSetMap CollectBatchInputs(const std::vector<std::string>& paths,
                               std::vector<std::string>* problems = nullptr);

} // namespace millconv
