// The option vocabulary: every option word, the setting it writes and the keyword tables.
#include "cli/option_table.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "base/text.h"
#include "settings/output_formats.h"
#include "settings/settings_table.h"
#include "settings/table_join.h"

namespace millconv {

namespace {

using enum OptionClass;
using enum KeywordTable;

// Row builders keep the table one line per option; they name settings by group and key, and a
// name the settings table does not hold stops the build.
consteval OptionDef Value(std::string_view word, OptionClass valueClass, std::string_view group,
                          std::string_view key, KeywordTable table = None,
                          std::string_view alsoKey = {}, int alsoValue = 1) {
    return {.word = word,
            .valueClass = valueClass,
            .table = table,
            .setting = SettingRef(group, key),
            .flagValue = 0,
            .also = alsoKey.empty() ? nullptr : SettingRef(group, alsoKey),
            .alsoValue = alsoValue,
            .profileWord = word};
}

consteval OptionDef Switch(std::string_view word, std::string_view group, std::string_view key,
                           int value, std::string_view alsoKey = {}) {
    OptionDef def = Value(word, Flag, group, key, None, alsoKey);
    def.flagValue = value;
    return def;
}

// The frame opacity is read from profiles under a watermark-like key; profiles written
// for earlier versions depend on that spelling.
constexpr OptionDef WithProfileKey(OptionDef def, std::string_view profileWord) {
    def.profileWord = profileWord;
    return def;
}

// The words of the --XXX-BPP options, made from the depth keys ("TGA BPP" -> "--TGA-BPP") and
// kept here for the option rows to point into.
struct DepthWord {
    std::array<char, 16> text{};
    size_t size = 0;

    constexpr std::string_view View() const { return {text.data(), size}; }
};

consteval auto MakeDepthWords() {
    std::array<DepthWord, std::size(kOutputFormats)> words{};
    for (size_t i = 0; i < words.size(); ++i) {
        DepthWord& word = words[i];
        word.text[word.size++] = '-';
        word.text[word.size++] = '-';
        for (const char c : kOutputFormats[i].depthKey) {
            word.text[word.size++] = c == ' ' ? '-' : c; // the keys are upper-case already
        }
    }
    return words;
}

constexpr auto kDepthWords = MakeDepthWords();

// One integer option per format row, writing its depth setting.
consteval auto MakeDepthOptions() {
    std::array<OptionDef, std::size(kOutputFormats)> options{};
    for (size_t i = 0; i < options.size(); ++i) {
        options[i] = Value(kDepthWords[i].View(), Integer, "Output", kOutputFormats[i].depthKey);
    }
    return options;
}

constexpr auto kInputOptions = std::to_array<OptionDef>({
    Value("--DDS-LOAD-AS", Keyword, "Input", "DDS Load As", DdsLoad),
    Value("--GIF-FRAME-LOADING", Keyword, "Input", "GIF Frame Loading", FrameLoading),
    Value("--ICO-FRAME-LOADING", Keyword, "Input", "ICO Frame Loading", FrameLoading),
    Value("--TIFF-FRAME-LOADING", Keyword, "Input", "TIFF Frame Loading", FrameLoading),
    Value("--PSD-COLOR-MODEL", Keyword, "Input", "PSD Color Model", ColorModel),
    Value("--RAW-LOAD-AS", Keyword, "Input", "RAW Load As", RawLoad),
    Value("--RAW-HEADER-SIZE", Integer, "Input", "RAW Header Size"),
    Value("--RAW-WIDTH", Integer, "Input", "RAW Image Width"),
    Value("--RAW-HEIGHT", Integer, "Input", "RAW Image Height"),
    Value("--RAW-TONE-MAPPING", Keyword, "Input", "RAW Tone Mapping", ToneMapping),
});

constexpr auto kOtherOptions = std::to_array<OptionDef>({
    Value("--BMP-COMPRESSION", Keyword, "Output", "BMP Compression", Compression),
    Value("--BMP-COLOR-TABLE", Keyword, "Output", "BMP Color Table", ColorTable),
    Value("--EXR-COMPRESSION", Keyword, "Output", "EXR Compression", Compression),
    Value("--JPG-QUALITY", Integer, "Output", "JPG Quality"),
    Value("--JPG-CHROMA", Keyword, "Output", "JPG Chroma", Chroma),
    Value("--JPG-SAVE-AS", Keyword, "Output", "JPG Save As", JpegSave),
    Value("--PNG-COMPRESSION", Keyword, "Output", "PNG Compression", Compression),
    Switch("--PNG-INTERLACED", "Output", "PNG Interlaced", 1),
    Value("--TGA-COMPRESSION", Keyword, "Output", "TGA Compression", Compression),
    Value("--TGA-ALPHA", Keyword, "Output", "TGA Alpha", TgaAlpha),
    Value("--TGA-ORIGIN", Keyword, "Output", "TGA Origin", TgaOrigin),
    Value("--TIFF-COMPRESSION", Keyword, "Output", "TIFF Compression", Compression),
    Value("--TIFF-COLOR-MODEL", Keyword, "Output", "TIFF Color Model", ColorModel),
    Value("--WEBP-QUALITY", Integer, "Output", "WEBP Quality"),
    Value("--ROTATION-TYPE", Keyword, "Transform", "Image Rotation Type", RotationType),
    Value("--ROTATION", Integer, "Transform", "Image Rotation", None, "Do Image Rotation"),
    Value("--ROTATION-BACK-COLOR", Text, "Transform", "Image Rotation Back Color"),
    Value("--WIDTH", Integer, "Transform", "Image Width", None, "Do Image Resize"),
    Value("--WIDTH-UNIT", Keyword, "Transform", "Image Width Unit", SizeUnit),
    Value("--HEIGHT", Integer, "Transform", "Image Height", None, "Do Image Resize"),
    Value("--HEIGHT-UNIT", Keyword, "Transform", "Image Height Unit", SizeUnit),
    Switch("--KEEP-ASPECT-RATIO", "Transform", "Keep Aspect Ratio", 1),
    Value("--RESIZE-TYPE", Keyword, "Transform", "Image Resize Type", ResizeType),
    Value("--RESIZE-ALGORITHM", Keyword, "Transform", "Image Resize Algorithm", ResizeFilter),
    Switch("--FLIP-HORIZONTAL", "Transform", "Do Image Flip Horizontal", 1),
    Switch("--FLIP-VERTICAL", "Transform", "Do Image Flip Vertical", 1),
    Value("--BRIGHTNESS", Integer, "Adjustment", "Image Brightness", None,
          "Do Image Color Correction"),
    Value("--CONTRAST", Integer, "Adjustment", "Image Contrast", None, "Do Image Color Correction"),
    Value("--GAMMA", Decimal, "Adjustment", "Image Gamma", None, "Do Image Color Correction"),
    Switch("--INVERT", "Adjustment", "Image Invert", 1, "Do Image Color Correction"),
    Switch("--GREYSCALE", "Adjustment", "Do Image Greyscale", 1),
    Value("--THRESHOLD", Integer, "Adjustment", "Image Threshold", None, "Do Image Threshold"),
    Value("--FR-SOLID-LEFT", Integer, "Frame", "Solid Left", None, "Do Frame"),
    Value("--FR-SOLID-RIGHT", Integer, "Frame", "Solid Right", None, "Do Frame"),
    Value("--FR-SOLID-TOP", Integer, "Frame", "Solid Top", None, "Do Frame"),
    Value("--FR-SOLID-BOTTOM", Integer, "Frame", "Solid Bottom", None, "Do Frame"),
    Value("--FR-SOLID-LEFT-COLOR", Text, "Frame", "Solid Left Color"),
    Value("--FR-SOLID-RIGHT-COLOR", Text, "Frame", "Solid Right Color"),
    Value("--FR-SOLID-TOP-COLOR", Text, "Frame", "Solid Top Color"),
    Value("--FR-SOLID-BOTTOM-COLOR", Text, "Frame", "Solid Bottom Color"),
    WithProfileKey(Value("--FR-SOLID-OPACITY", Integer, "Frame", "Solid Opacity"),
                   "--WM-SOLID-OPACITY"),
    Value("--WM-TEXT", Text, "Watermark", "Text", None, "Do Watermark"),
    Value("--WM-FONT", Text, "Watermark", "Font"),
    Value("--WM-FONT-SIZE", Integer, "Watermark", "Font Size"),
    Value("--WM-FONT-LEADING", Integer, "Watermark", "Font Leading"),
    Value("--WM-FONT-COLOR", Text, "Watermark", "Font Color"),
    Value("--WM-FONT-STYLE", Keyword, "Watermark", "Font Style", FontStyle),
    Value("--WM-FONT-EFFECT", Keyword, "Watermark", "Font Effect", FontEffect),
    Switch("--WM-TEXT-ANTIALIASING", "Watermark", "Text Antialiasing", 1),
    Value("--WM-TEXT-ALIGNMENT", Keyword, "Watermark", "Text Alignment", Alignment),
    Value("--WM-TEXT-PADDING", Integer, "Watermark", "Text Padding"),
    Value("--WM-TEXT-OPACITY", Integer, "Watermark", "Text Opacity"),
    Value("--WM-BACK-COLOR", Text, "Watermark", "Back Color"),
    Value("--WM-BACK-OPACITY", Integer, "Watermark", "Back Opacity"),
    Value("--WM-TEXT-BOUNDARY", Keyword, "Watermark", "Text Boundary", Boundary),
    Value("--WM-TEXT-POSITION", Keyword, "Watermark", "Text Position", Position),
    Value("--WM-TEXT-X-OFFSET", Integer, "Watermark", "Text X Offset"),
    Value("--WM-TEXT-Y-OFFSET", Integer, "Watermark", "Text Y Offset"),
    Value("--WM-TEXT-ROTATION", Integer, "Watermark", "Text Rotation"),
    Value("--WM-TEXT-SIZE", Keyword, "Watermark", "Text Size", SizeMode),
    // The watermark kind: 1 text, 2 image.
    Value("--WM-IMAGE", Text, "Watermark", "Image", None, "Do Watermark", 2),
    Switch("--WM-IMAGE-GREYSCALE", "Watermark", "Image Greyscale", 1),
    Value("--WM-IMAGE-OPACITY", Integer, "Watermark", "Image Opacity"),
    Value("--WM-IMAGE-BOUNDARY", Keyword, "Watermark", "Image Boundary", Boundary),
    Value("--WM-IMAGE-POSITION", Keyword, "Watermark", "Image Position", Position),
    Value("--WM-IMAGE-X-OFFSET", Integer, "Watermark", "Image X Offset"),
    Value("--WM-IMAGE-Y-OFFSET", Integer, "Watermark", "Image Y Offset"),
    Value("--WM-IMAGE-ROTATION", Integer, "Watermark", "Image Rotation"),
    Value("--WM-IMAGE-SIZE", Keyword, "Watermark", "Image Size", SizeMode),
    Value("--FILENAME-MASK", Text, "Advanced", "Filename Mask"),
    Value("--FILE-TIMESTAMP", Keyword, "Advanced", "File Timestamp", Timestamp),
    Value("--FILE-TIMESTAMP-CUSTOM", Integer, "Advanced", "Custom Timestamp"),
    Switch("--NO-SUBFOLDERS", "Advanced", "Keep Subfolders", 0),
});

// In reference order: the input options, the depth family, then the rest.
constexpr auto kOptions = JoinTables(kInputOptions, MakeDepthOptions(), kOtherOptions);

struct KeywordEntry {
    std::string_view word;
    int number;
};

constexpr KeywordEntry kDdsLoad[] = {{"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2}};
constexpr KeywordEntry kRawLoad[] = {{"AUTO", 0}, {"8", 1},    {"16", 2},
                                     {"24", 3},   {"48HS", 4}, {"48", 5}};
constexpr KeywordEntry kFrameLoading[] = {
    {"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4}};
constexpr KeywordEntry kToneMapping[] = {
    {"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4}};
// One table for all five compression options, gathered from the format rows: every word once,
// in row order. Each format reads the number its own way.
struct KeywordList {
    std::array<KeywordEntry, 32> entries{};
    size_t size = 0;

    constexpr std::span<const KeywordEntry> View() const { return {entries.data(), size}; }
};

constexpr KeywordList kCompression = [] {
    KeywordList list;
    for (const OutputFormat& format : kOutputFormats) {
        const std::span<const FlagChoice> choices = CompressionChoices(format);
        for (size_t number = 0; number < choices.size(); ++number) {
            const std::string_view word = choices[number].word;
            if (std::ranges::find(list.View(), word, &KeywordEntry::word) == list.View().end()) {
                list.entries[list.size++] = {word, static_cast<int>(number)};
            }
        }
    }
    return list;
}();

// A word is accepted for any compression option, so it must mean one number in every format.
constexpr bool CompressionWordsAgree() {
    for (const OutputFormat& format : kOutputFormats) {
        const std::span<const FlagChoice> choices = CompressionChoices(format);
        for (size_t number = 0; number < choices.size(); ++number) {
            const std::string_view word = choices[number].word;
            if (std::ranges::find(kCompression.View(), word, &KeywordEntry::word)->number !=
                static_cast<int>(number)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(CompressionWordsAgree());

constexpr KeywordEntry kColorTable[] = {{"AUTO", 0}, {"EXACT", 1}};
constexpr KeywordEntry kColorModel[] = {{"RGB", 0}, {"CMYK", 1}, {"LAB", 2}};
constexpr KeywordEntry kChroma[] = {{"NONE", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}};
constexpr KeywordEntry kJpegSave[] = {
    {"STANDARD", 0}, {"SIMPLE", 1}, {"OPTIMIZED", 2}, {"PROGRESSIVE", 3}};
constexpr KeywordEntry kRotationType[] = {{"SIMPLE", 0}, {"ADVANCED", 1}};
constexpr KeywordEntry kSizeUnit[] = {{"PIXELS", 0}, {"PERCENT", 1}};
constexpr KeywordEntry kResizeType[] = {{"ALLIMAGES", 0}, {"LARGEIMAGES", 1}};
constexpr KeywordEntry kResizeFilter[] = {{"BOX", 0},     {"BILINEAR", 1},   {"BSPLINE", 2},
                                          {"BICUBIC", 3}, {"CATMULLROM", 4}, {"LANCZOS", 5}};
constexpr KeywordEntry kFrameKind[] = {{"NONE", 0}, {"SOLID", 1}};
constexpr KeywordEntry kWatermarkKind[] = {{"NONE", 0}, {"TEXT", 1}, {"IMAGE", 2}};
constexpr KeywordEntry kFontStyle[] = {
    {"REGULAR", 0}, {"BOLD", 1}, {"ITALIC", 2}, {"BOLDITALIC", 3}};
// The misspelling is the published keyword; scripts use it.
constexpr KeywordEntry kFontEffect[] = {{"NONE", 0}, {"UNDERLINE", 1}, {"STRIKETHROUGHT", 2}};
constexpr KeywordEntry kAlignment[] = {{"LEFT", 0}, {"CENTER", 1}, {"RIGHT", 2}};
constexpr KeywordEntry kBoundary[] = {{"IMAGE", 0}, {"FRAME", 1}};
constexpr KeywordEntry kPosition[] = {
    {"TOPLEFT", 0},    {"TOPCENTER", 1},    {"TOPRIGHT", 2},
    {"MIDDLELEFT", 3}, {"MIDDLECENTER", 4}, {"MIDDLERIGHT", 5},
    {"BOTTOMLEFT", 6}, {"BOTTOMCENTER", 7}, {"BOTTOMRIGHT", 8},
};
constexpr KeywordEntry kSizeMode[] = {{"FIXED", 0}};
constexpr KeywordEntry kTimestamp[] = {{"CURRENT", 0}, {"ORIGINAL", 1}, {"CUSTOM", 2}};
constexpr KeywordEntry kTgaAlpha[] = {{"FLATTEN", 0}, {"KEEP", 1}};
constexpr KeywordEntry kTgaOrigin[] = {{"BOTTOM-LEFT", 0}, {"TOP-LEFT", 1}};

std::span<const KeywordEntry> Words(KeywordTable table) {
    switch (table) {
    case None:
        return {};
    case DdsLoad:
        return kDdsLoad;
    case RawLoad:
        return kRawLoad;
    case FrameLoading:
        return kFrameLoading;
    case ToneMapping:
        return kToneMapping;
    case Compression:
        return kCompression.View();
    case ColorTable:
        return kColorTable;
    case ColorModel:
        return kColorModel;
    case Chroma:
        return kChroma;
    case JpegSave:
        return kJpegSave;
    case RotationType:
        return kRotationType;
    case SizeUnit:
        return kSizeUnit;
    case ResizeType:
        return kResizeType;
    case ResizeFilter:
        return kResizeFilter;
    case FrameKind:
        return kFrameKind;
    case WatermarkKind:
        return kWatermarkKind;
    case FontStyle:
        return kFontStyle;
    case FontEffect:
        return kFontEffect;
    case Alignment:
        return kAlignment;
    case Boundary:
        return kBoundary;
    case Position:
        return kPosition;
    case SizeMode:
        return kSizeMode;
    case Timestamp:
        return kTimestamp;
    case TgaAlpha:
        return kTgaAlpha;
    case TgaOrigin:
        return kTgaOrigin;
    }
    return {};
}

} // namespace

std::span<const OptionDef> OptionTable() { return kOptions; }

const OptionDef* FindOption(std::string_view word) {
    for (const OptionDef& def : kOptions) {
        if (def.word == word) {
            return &def;
        }
    }
    return nullptr;
}

const OptionDef* FindProfileOption(std::string_view key) {
    for (const OptionDef& def : kOptions) {
        if (!def.profileWord.empty() && def.profileWord == key) {
            return &def;
        }
    }
    return nullptr;
}

int LookupKeyword(std::string_view word, KeywordTable table) {
    const std::string trimmed = TrimSpaces(word);
    for (const KeywordEntry& entry : Words(table)) {
        if (EqualsIgnoringCase(entry.word, trimmed)) {
            return entry.number;
        }
    }
    return 0;
}

std::string KeywordText(KeywordTable table, int number, std::string_view format) {
    if (table == Compression) {
        const OutputFormat* row = FindOutputFormatRow(format);
        const std::span<const FlagChoice> choices =
            row != nullptr ? CompressionChoices(*row) : std::span<const FlagChoice>();
        if (number >= 0 && static_cast<size_t>(number) < choices.size()) {
            return std::string(choices[static_cast<size_t>(number)].word);
        }
        return {};
    }
    for (const KeywordEntry& entry : Words(table)) {
        if (entry.number == number) {
            return std::string(entry.word);
        }
    }
    return {};
}

} // namespace millconv
