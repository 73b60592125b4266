// Input and output format catalogues, the product's format lists and the dialog filters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

struct OutputFormat;
struct SettingDef;

struct FormatEntry {
    std::string key;        // lower-case extension, no dot
    int32_t formatId = 0;   // FreeImage format id (output entries only)
    std::string extension;  // principal extension of the format ("jpeg" -> "jpg")
    std::string description;
    std::string depths;     // output entries: allowed bpp, comma-separated, ascending
};

// The product lists: formats this build reads ("png") and writes ("tga").
const std::vector<std::string>& InputFormatList();
const std::vector<std::string>& OutputFormatList();

// Both catalogues in insertion order (79 input keys, 20 output keys). Built on first use;
// the Build functions exist so start-up can build them at a defined point.
void BuildInputCatalogue();
void BuildOutputCatalogue();
const std::vector<FormatEntry>& InputCatalogue();
const std::vector<FormatEntry>& OutputCatalogue();

// Look-ups by lower-case key; nullptr when the catalogue has no such key.
const FormatEntry* FindInputFormat(std::string_view key);
const FormatEntry* FindOutputFormat(std::string_view key);
// The output format row FindOutputFormat finds an entry for, without building the catalogue.
const OutputFormat* FindWritableFormat(std::string_view key);

// Accepted input extensions, rebuilt from the input format list.
void BuildAcceptedExtensions();
const std::vector<std::string>& AcceptedExtensions();

// Windows-style "Label|patterns|..." filter texts of the file dialogs.
std::string InputFileFilter();
std::string WatermarkImageFilter();

// The settings keys a format owns: those of its side's group ([Input] or [Output]) that begin
// with the format's upper-case name and a blank ("tga" -> TGA BPP, TGA Compression), in table
// order. Aliases own nothing ("jpeg"); the settings file writes these only for listed formats.
enum class FormatSide { Input, Output };
std::vector<const SettingDef*> FormatSettings(FormatSide side, std::string_view format);

} // namespace millconv
