// Writing zip archives: the shipped themes at build time and test archives.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace millconv {

// Writes a zip archive of the given (entry name, data) pairs, deflated, with a fixed time
// stamp so a build repeats byte for byte. False when it cannot be written completely.
bool WriteZipArchive(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& entries);

} // namespace millconv
