// Output file naming: the naming template, its placeholders and the relative subfolder.
#pragma once

#include <string>
#include <string_view>

namespace millconv {

// Output folder + relative subfolder (when [Advanced] Keep Subfolders is set) + the
// expanded naming template.
std::string BuildOutputPath();

// The file name of the current input: [Advanced] Filename Mask lowered (empty gives
// "%filename%.%ext%") with its placeholders expanded.
std::string ExpandFilenameMask();

// Replaces the naming placeholders (%filename%, %ext%, date and time parts, %bpp%,
// %width%, %height%, %rnd%, %n% and their variants) in table order, matched in any case,
// with the values of the current file in gJob. Literal text keeps its case; the watermark
// text goes through here too.
std::string ExpandPlaceholders(std::string text);

// The name without its last dot and what follows; unchanged when it has no dot.
std::string StripExtension(std::string_view name);

// The input's folder below baseFolder, ending with '/', or empty when the input does not
// lie below it (or either is empty).
std::string RelativeSubfolder(std::string_view inputPath, std::string_view baseFolder);

// Case mapping of UTF-8 text with the case tables of the user's locale (C.UTF-8 when that
// locale has no UTF-8); bytes that are not valid UTF-8 are kept.
std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);
// First character upper case, the rest lower case.
std::string ToTitleText(std::string_view text);

} // namespace millconv
