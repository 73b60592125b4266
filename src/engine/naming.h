// Output file naming: the naming template, its placeholders and the relative subfolder.
#pragma once

#include "engine/run.h"

#include <string>
#include <string_view>

namespace millconv {

// A uniform random number in 1..99999 for %rnd%.
int32_t DrawRandomNumber();

// The run's output folder + the file's relative subfolder (when Keep Subfolders is set) + the
// expanded naming template.
std::string BuildOutputPath(const RunSnapshot& run, const FileContext& file);

// True when a name below the output folder stays there: it neither starts with '/' nor has a
// ".." component. Subfolders are allowed.
bool NameStaysInside(std::string_view name);

// Whether the file's expanded naming template stays inside the output folder; when it does
// not, a debugging run is told why.
bool OutputNameStaysInside(const RunSnapshot& run, const FileContext& file);

// The file name of the file's input: the Filename Mask lowered (empty gives
// "%filename%.%ext%") with its placeholders expanded for the output extension.
std::string ExpandFilenameMask(std::string_view mask, const FileContext& file,
                               std::string_view extension);

// Replaces the naming placeholders (%filename%, %ext%, date and time parts, %bpp%,
// %width%, %height%, %rnd%, %n% and their variants) in table order, matched in any case,
// with the values of the file and the output extension. Literal text keeps its case; the
// watermark text goes through here too.
std::string ExpandPlaceholders(std::string text, const FileContext& file,
                               std::string_view extension);

// The name without its last dot and what follows; unchanged when it has no dot.
std::string StripExtension(std::string_view name);

// The input's folder below baseFolder, ending with '/', or empty when the input does not
// lie below it (or either is empty).
std::string RelativeSubfolder(std::string_view inputPath, std::string_view baseFolder);

} // namespace millconv
