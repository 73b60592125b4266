// Where the program's own files are: beside a build-tree executable, or installed around it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace millconv {

// The kinds of files that come with the executable.
enum class ProgramData { Modules, Themes, Manual };

// The folders searched for one kind, in order, each ending with '/': the build tree's, beside
// the executable (modules there, themes in gfx/, the manual in docs/), then the installed one,
// found from the executable's own folder (../lib/millconv/, ../share/millconv/gfx/,
// ../share/doc/millconv/), so an installed program works under any prefix.
std::vector<std::string> ProgramDataFolders(ProgramData kind, const std::string& programFolder);

// The installed folder of a kind: the last one searched, named in messages.
std::string InstalledDataFolder(ProgramData kind, const std::string& programFolder);

// name (a file or folder; empty for the folder itself) in the first folder of the kind that
// holds it; empty when none does.
std::string FindProgramData(ProgramData kind, std::string_view name,
                            const std::string& programFolder);

} // namespace millconv
