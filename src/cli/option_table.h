// The option vocabulary: every option word, the setting it writes and the keyword tables.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace millconv {

struct SettingDef;

// How an option's value text becomes a setting value.
enum class OptionClass { Keyword, Integer, Decimal, Text, Flag };

// Word <-> number tables of keyword options and of the debug echo.
enum class KeywordTable {
    None,
    DdsLoad,
    RawLoad,
    FrameLoading,
    ToneMapping,
    Compression,
    ColorTable,
    ColorModel,
    Chroma,
    JpegSave,
    RotationType,
    SizeUnit,
    ResizeType,
    ResizeFilter,
    FrameKind,
    WatermarkKind,
    FontStyle,
    FontEffect,
    Alignment,
    Boundary,
    Position,
    SizeMode,
    Timestamp,
    TgaAlpha,
    TgaOrigin,
};

// One option that writes a setting. Settings are rows of the settings table, resolved while
// compiling (SettingRef), so this table holds no field of its own and names no missing one.
struct OptionDef {
    std::string_view word; // upper-case option word with its leading "--"
    OptionClass valueClass;
    KeywordTable table;        // keyword options only
    const SettingDef* setting; // setting written
    int flagValue;             // the fixed value a flag option stores
    const SettingDef* also;    // setting switched on first, or nullptr
    int alsoValue;
    std::string_view profileWord; // key accepted in a profile's CLI group; empty: none
};

// Every option that writes a setting, in reference order.
std::span<const OptionDef> OptionTable();

// Option by its upper-case command-line word; nullptr for words of no setting.
const OptionDef* FindOption(std::string_view word);

// Option by its upper-case profile key; nullptr when profiles do not accept the key.
const OptionDef* FindProfileOption(std::string_view key);

// The number of a keyword in a table, ignoring letter case and surrounding spaces;
// 0 for a word the table does not hold.
int LookupKeyword(std::string_view word, KeywordTable table);

// The word of a number in a table, empty when no word has that number. The compression
// table answers with the words of the given output format ("bmp", "exr", "png", "tga",
// "tiff"); its words mean different things for each format.
std::string KeywordText(KeywordTable table, int number, std::string_view format = {});

} // namespace millconv
