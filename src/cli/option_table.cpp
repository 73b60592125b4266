// The option vocabulary: every option word, the setting it writes and the keyword tables.
#include "cli/option_table.h"

#include <algorithm>
#include <cctype>

#include "cli/option_parsing.h"

namespace millconv {

namespace {

using enum OptionClass;
using enum KeywordTable;

// Row builders keep the table one line per option.
constexpr OptionDef Value(std::string_view word, OptionClass valueClass, std::string_view group,
                          std::string_view key, KeywordTable table = None,
                          std::string_view alsoKey = {}, int alsoValue = 1) {
    return {word, valueClass, table, group, key, 0, alsoKey, alsoValue, word};
}

constexpr OptionDef Switch(std::string_view word, std::string_view group, std::string_view key,
                           int value, std::string_view alsoKey = {}) {
    return {word, Flag, None, group, key, value, alsoKey, 1, word};
}

constexpr OptionDef Bpp(std::string_view word, std::string_view key) {
    return Value(word, Integer, "Output", key);
}

// The frame opacity is read from profiles under a watermark-like key; profiles written
// for earlier versions depend on that spelling.
constexpr OptionDef WithProfileKey(OptionDef def, std::string_view profileWord) {
    def.profileWord = profileWord;
    return def;
}

constexpr OptionDef kOptions[] = {
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
    Bpp("--BMP-BPP", "BMP BPP"),
    Bpp("--DDS-BPP", "DDS BPP"),
    Bpp("--EXR-BPP", "EXR BPP"),
    Bpp("--GIF-BPP", "GIF BPP"),
    Bpp("--HDR-BPP", "HDR BPP"),
    Bpp("--ICO-BPP", "ICO BPP"),
    Bpp("--J2K-BPP", "J2K BPP"),
    Bpp("--JNG-BPP", "JNG BPP"),
    Bpp("--JP2-BPP", "JP2 BPP"),
    Bpp("--JPG-BPP", "JPG BPP"),
    Bpp("--JXR-BPP", "JXR BPP"),
    Bpp("--PBM-BPP", "PBM BPP"),
    Bpp("--PCX-BPP", "PCX BPP"),
    Bpp("--PFM-BPP", "PFM BPP"),
    Bpp("--PGM-BPP", "PGM BPP"),
    Bpp("--PNG-BPP", "PNG BPP"),
    Bpp("--PPM-BPP", "PPM BPP"),
    Bpp("--PSD-BPP", "PSD BPP"),
    Bpp("--TGA-BPP", "TGA BPP"),
    Bpp("--TIFF-BPP", "TIFF BPP"),
    Bpp("--WBMP-BPP", "WBMP BPP"),
    Bpp("--WEBP-BPP", "WEBP BPP"),
    Bpp("--XPM-BPP", "XPM BPP"),
    Value("--BMP-COMPRESSION", Keyword, "Output", "BMP Compression", Compression),
    Value("--BMP-COLOR-TABLE", Keyword, "Output", "BMP Color Table", ColorTable),
    Value("--EXR-COMPRESSION", Keyword, "Output", "EXR Compression", Compression),
    Value("--JPG-QUALITY", Integer, "Output", "JPG Quality"),
    Value("--JPG-CHROMA", Keyword, "Output", "JPG Chroma", Chroma),
    Value("--JPG-SAVE-AS", Keyword, "Output", "JPG Save As", JpegSave),
    Value("--PNG-COMPRESSION", Keyword, "Output", "PNG Compression", Compression),
    Switch("--PNG-INTERLACED", "Output", "PNG Interlaced", 1),
    Value("--TGA-COMPRESSION", Keyword, "Output", "TGA Compression", Compression),
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
};

constexpr std::string_view kDepthFamily[] = {
    "BMP", "DDS", "EXR", "GIF", "HDR", "ICO", "J2K", "JNG",  "JP2",  "JPG",  "JXR", "PBM",
    "PCX", "PFM", "PGM", "PNG", "PPM", "PSD", "TGA", "TIFF", "WBMP", "WEBP", "XPM",
};

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
// One table for all five compression options: each format reads the number its own way.
constexpr KeywordEntry kCompression[] = {
    {"NONE", 0},      {"RLE", 1},      {"ZIP", 1},     {"PIZ", 2},          {"PXR24", 3},
    {"B44", 4},       {"ZLIB1", 1},    {"ZLIB6", 2},   {"ZLIB9", 3},        {"CCITTFAX3", 1},
    {"CCITTFAX4", 2}, {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5}, {"LZW", 6},
    {"JPEG", 7},      {"LOGLUV", 8},
};
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

// Compression words of each format, indexed by the number that format stores.
constexpr std::string_view kBmpTgaCompression[] = {"NONE", "RLE"};
constexpr std::string_view kExrCompression[] = {"NONE", "ZIP", "PIZ", "PXR24", "B44"};
constexpr std::string_view kPngCompression[] = {"NONE", "ZLIB1", "ZLIB6", "ZLIB9"};
constexpr std::string_view kTiffCompression[] = {"NONE",     "CCITTFAX3", "CCITTFAX4",
                                                 "PACKBITS", "DEFLATE",   "ADOBEDEFLATE",
                                                 "LZW",      "JPEG",      "LOGLUV"};

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
        return kCompression;
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
    }
    return {};
}

std::span<const std::string_view> CompressionWords(std::string_view format) {
    if (format == "bmp" || format == "tga") {
        return kBmpTgaCompression;
    }
    if (format == "exr") {
        return kExrCompression;
    }
    if (format == "png") {
        return kPngCompression;
    }
    if (format == "tiff") {
        return kTiffCompression;
    }
    return {};
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const OptionDef> OptionTable() { return kOptions; }

std::span<const std::string_view> DepthFamily() { return kDepthFamily; }

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
        if (EqualNoCase(entry.word, trimmed)) {
            return entry.number;
        }
    }
    return 0;
}

std::string KeywordText(KeywordTable table, int number, std::string_view format) {
    if (table == Compression) {
        std::span<const std::string_view> words = CompressionWords(format);
        if (number >= 0 && static_cast<size_t>(number) < words.size()) {
            return std::string(words[static_cast<size_t>(number)]);
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
