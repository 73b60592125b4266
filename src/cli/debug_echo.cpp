// The debug echo of a console run: the settings it shows, in which words, and the value checks
// that run between its lines.
#include "cli/debug_echo.h"

#include <cmath>
#include <cstdio>
#include <variant>

#include "engine/draw_module.h"
#include "engine/watermark.h"
#include "settings/settings.h"
#include "settings/settings_table.h"

namespace millconv {

namespace {

using enum KeywordTable;

// Builders keep the tables one line per row; they name settings by group and key, and a name
// the settings table does not hold stops the build.
consteval EchoRow Row(std::string_view label, std::string_view group, std::string_view key,
                      KeywordTable table = None, Check check = {}) {
    return {label, SettingRef(group, key), table, nullptr, None, {}, check};
}

// Two settings of one group on one line, joined by a separator.
consteval EchoRow Pair(std::string_view label, std::string_view group, std::string_view key,
                       std::string_view key2, KeywordTable table2, std::string_view separator,
                       Check check = {}) {
    return {label, SettingRef(group, key), None, SettingRef(group, key2), table2, separator, check};
}

// Settings added after the echo's lines were fixed: shown only when asked for, so a run with
// their defaults echoes what it always did.
consteval EchoRow WhenSet(EchoRow row) {
    row.onlyWhenSet = true;
    return row;
}

constexpr EchoRow CheckOnly(Check check) { return {{}, nullptr, None, nullptr, None, {}, check}; }

constexpr EchoBlock Always(std::span<const EchoRow> rows) { return {nullptr, 0, false, rows}; }

consteval EchoBlock WhileOn(std::string_view group, std::string_view key,
                            std::span<const EchoRow> rows) {
    return {SettingRef(group, key), 0, true, rows};
}

consteval EchoBlock WhileIs(std::string_view group, std::string_view key, int value,
                            std::span<const EchoRow> rows) {
    return {SettingRef(group, key), value, false, rows};
}

// ---- Checks. ----

bool InPercentRange(int32_t value) { return value >= -100 && value <= 100; }
bool InQualityRange(int32_t value) { return value >= 1 && value <= 100; }

// Console runs are alone in their process with fontconfig: the drawing layer may read its
// configuration the quicker way before the font is looked up.
bool WatermarkFontLoads() {
    if (Drawing* drawing = GetDrawing()) {
        drawing->PrepareFontConfiguration();
    }
    return LoadWatermarkFont(gSettings.watermark);
}

constexpr Check kJpgQualityCheck = {[] { return InQualityRange(gSettings.output.jpgQuality); },
                                    "Error: Invalid jpg-quality value"};
constexpr Check kWebpQualityCheck = {[] { return InQualityRange(gSettings.output.webpQuality); },
                                     "Error: Invalid webp-quality value"};
// Only 0 is refused: a negative size passes here.
constexpr Check kWidthCheck = {[] { return gSettings.transform.imageWidth != 0; },
                               "Error: Invalid width value"};
constexpr Check kHeightCheck = {[] { return gSettings.transform.imageHeight != 0; },
                                "Error: Invalid height value"};
constexpr Check kBrightnessCheck = {
    [] { return InPercentRange(gSettings.adjustment.imageBrightness); },
    "Error: Invalid brightness value"};
constexpr Check kContrastCheck = {[] { return InPercentRange(gSettings.adjustment.imageContrast); },
                                  "Error: Invalid contrast value"};
// A gamma that is not a number is refused too: the colour step cannot use it.
constexpr Check kGammaCheck = {[] {
                                   const float gamma = gSettings.adjustment.imageGamma;
                                   return gamma >= 0.01f && gamma <= 9.99f;
                               },
                               "Error: Invalid gamma value"};
constexpr Check kFontCheck = {WatermarkFontLoads, "Error: Invalid watermark font"};
// The picture must be one the loader reads: a file it cannot use would leave the output
// silently unmarked.
constexpr Check kImageCheck = {
    [] { return CheckWatermarkImage(gSettings.watermark.image) == WatermarkImageCheck::Valid; },
    "Error: Invalid watermark image"};

// ---- Input echo, selected by the input format. ----

constexpr EchoRow kDdsInput[] = {Row("DDS Load As: ", "Input", "DDS Load As", DdsLoad)};
constexpr EchoRow kGifInput[] = {
    Row("GIF Frame Loading: ", "Input", "GIF Frame Loading", FrameLoading)};
constexpr EchoRow kIcoInput[] = {
    Row("ICO Frame Loading: ", "Input", "ICO Frame Loading", FrameLoading)};
constexpr EchoRow kPsdInput[] = {Row("PSD Color Model: ", "Input", "PSD Color Model", ColorModel)};
constexpr EchoRow kRawInput[] = {
    Row("RAW Load As: ", "Input", "RAW Load As", RawLoad),
    Row("RAW Header Size: ", "Input", "RAW Header Size"),
    Row("RAW Image Width: ", "Input", "RAW Image Width"),
    Row("RAW Image Height: ", "Input", "RAW Image Height"),
    Row("RAW Tone Mapping: ", "Input", "RAW Tone Mapping", ToneMapping),
};
constexpr EchoRow kTiffInput[] = {
    Row("TIFF Frame Loading: ", "Input", "TIFF Frame Loading", FrameLoading)};

struct FormatEcho {
    std::string_view format;
    std::span<const EchoRow> rows;
};

constexpr FormatEcho kInputEcho[] = {
    {"dds", kDdsInput}, {"gif", kGifInput}, {"ico", kIcoInput},
    {"psd", kPsdInput}, {"raw", kRawInput}, {"tiff", kTiffInput},
};

// ---- Output echo after the "XXX BPP: " line; label-less rows are the format's checks,
// run after the depth check. ----

constexpr EchoRow kBmpOutput[] = {
    Row("BMP Compression: ", "Output", "BMP Compression", Compression),
    Row("BMP Color Table: ", "Output", "BMP Color Table", ColorTable),
};
constexpr EchoRow kExrOutput[] = {
    Row("EXR Compression: ", "Output", "EXR Compression", Compression)};
constexpr EchoRow kJpgOutput[] = {
    Row("JPG Quality: ", "Output", "JPG Quality"),
    Row("JPG Chroma Subsampling: ", "Output", "JPG Chroma", Chroma),
    Row("JPG Save As: ", "Output", "JPG Save As", JpegSave),
    CheckOnly(kJpgQualityCheck),
};
constexpr EchoRow kPngOutput[] = {
    Row("PNG Compression: ", "Output", "PNG Compression", Compression),
    Row("PNG Interlaced: ", "Output", "PNG Interlaced"),
};
constexpr EchoRow kTgaOutput[] = {
    Row("TGA Compression: ", "Output", "TGA Compression", Compression),
    WhenSet(Row("TGA Alpha: ", "Output", "TGA Alpha", TgaAlpha)),
    WhenSet(Row("TGA Origin: ", "Output", "TGA Origin", TgaOrigin)),
};
constexpr EchoRow kTiffOutput[] = {
    Row("TIFF Compression: ", "Output", "TIFF Compression", Compression),
    Row("TIFF Color Model: ", "Output", "TIFF Color Model", ColorModel),
};
constexpr EchoRow kWebpOutput[] = {
    Row("WEBP Quality: ", "Output", "WEBP Quality"),
    CheckOnly(kWebpQualityCheck),
};

constexpr FormatEcho kOutputEcho[] = {
    {"bmp", kBmpOutput}, {"exr", kExrOutput},   {"jpg", kJpgOutput},   {"png", kPngOutput},
    {"tga", kTgaOutput}, {"tiff", kTiffOutput}, {"webp", kWebpOutput},
};

// ---- Transformations, watermark and naming, in the order of the run. Each check runs
// right after its line. ----

constexpr EchoRow kRotation[] = {
    Row("Image Rotation Type: ", "Transform", "Image Rotation Type", RotationType),
    Row("Image Rotation: ", "Transform", "Image Rotation"),
    Row("Image Rotation Back Color: ", "Transform", "Image Rotation Back Color"),
};
constexpr EchoRow kResize[] = {
    Pair("Width: ", "Transform", "Image Width", "Image Width Unit", SizeUnit, " ", kWidthCheck),
    Pair("Height: ", "Transform", "Image Height", "Image Height Unit", SizeUnit, " ", kHeightCheck),
    Row("Keep Aspect Ratio: ", "Transform", "Keep Aspect Ratio"),
    Row("Image Resize Type: ", "Transform", "Image Resize Type", ResizeType),
    Row("Image Resize Algorithm: ", "Transform", "Image Resize Algorithm", ResizeFilter),
};
constexpr EchoRow kFlip[] = {
    Row("Flip Horizontal: ", "Transform", "Do Image Flip Horizontal"),
    Row("Flip Vertical: ", "Transform", "Do Image Flip Vertical"),
};
constexpr EchoRow kColorCorrection[] = {
    Row("Brightness: ", "Adjustment", "Image Brightness", None, kBrightnessCheck),
    Row("Contrast: ", "Adjustment", "Image Contrast", None, kContrastCheck),
    Row("Gamma: ", "Adjustment", "Image Gamma", None, kGammaCheck),
    Row("Invert: ", "Adjustment", "Image Invert"),
};
constexpr EchoRow kGreyscale[] = {Row("Greyscale: ", "Adjustment", "Do Image Greyscale")};
constexpr EchoRow kThreshold[] = {Row("Image Threshold: ", "Adjustment", "Image Threshold")};
constexpr EchoRow kFrameKindRow[] = {Row("Frame: ", "Frame", "Do Frame", FrameKind)};
constexpr EchoRow kFrame[] = {
    Row("Frame left: ", "Frame", "Solid Left"),
    Row("Frame right: ", "Frame", "Solid Right"),
    Row("Frame top: ", "Frame", "Solid Top"),
    Row("Frame bottom: ", "Frame", "Solid Bottom"),
    Row("Frame left color: ", "Frame", "Solid Left Color"),
    Row("Frame right color: ", "Frame", "Solid Right Color"),
    Row("Frame top color: ", "Frame", "Solid Top Color"),
    Row("Frame bottom color: ", "Frame", "Solid Bottom Color"),
    Row("Frame opacity: ", "Frame", "Solid Opacity"),
};
constexpr EchoRow kWatermarkKindRow[] = {
    Row("Watermark: ", "Watermark", "Do Watermark", WatermarkKind)};
constexpr EchoRow kTextWatermark[] = {
    Row("Watermark text: ", "Watermark", "Text"),
    Row("Watermark font: ", "Watermark", "Font"),
    Row("Watermark font size: ", "Watermark", "Font Size"),
    Row("Watermark font leading: ", "Watermark", "Font Leading"),
    Row("Watermark font color: ", "Watermark", "Font Color"),
    Row("Watermark font style: ", "Watermark", "Font Style", FontStyle),
    Row("Watermark font effect: ", "Watermark", "Font Effect", FontEffect),
    Row("Watermark text antialiasing: ", "Watermark", "Text Antialiasing"),
    Row("Watermark text alignment: ", "Watermark", "Text Alignment", Alignment),
    Row("Watermark text padding: ", "Watermark", "Text Padding"),
    Row("Watermark text opacity: ", "Watermark", "Text Opacity"),
    Row("Watermark background color: ", "Watermark", "Back Color"),
    Row("Watermark background opacity: ", "Watermark", "Back Opacity"),
    Row("Watermark boundary: ", "Watermark", "Text Boundary", Boundary),
    Row("Watermark position: ", "Watermark", "Text Position", Position),
    Pair("Watermark offset (x/y): ", "Watermark", "Text X Offset", "Text Y Offset", None, "/"),
    Row("Watermark rotation: ", "Watermark", "Text Rotation"),
    Row("Watermark size/mode: ", "Watermark", "Text Size", SizeMode),
    CheckOnly(kFontCheck),
};
constexpr EchoRow kImageWatermark[] = {
    Row("Watermark image: ", "Watermark", "Image"),
    Row("Watermark greyscale: ", "Watermark", "Image Greyscale"),
    Row("Watermark opacity: ", "Watermark", "Image Opacity"),
    Row("Watermark boundary: ", "Watermark", "Image Boundary", Boundary),
    Row("Watermark position: ", "Watermark", "Image Position", Position),
    Pair("Watermark offset (x/y): ", "Watermark", "Image X Offset", "Image Y Offset", None, "/"),
    Row("Watermark rotation: ", "Watermark", "Image Rotation"),
    Row("Watermark size/mode: ", "Watermark", "Image Size", SizeMode),
    CheckOnly(kImageCheck),
};
constexpr EchoRow kNaming[] = {
    Row("Filename Mask: ", "Advanced", "Filename Mask"),
    Row("File Timestamp: ", "Advanced", "File Timestamp", Timestamp),
};
constexpr EchoRow kCustomTimestamp[] = {Row("Custom Timestamp: ", "Advanced", "Custom Timestamp")};
constexpr EchoRow kSubfolders[] = {Row("Keep Subfolders: ", "Advanced", "Keep Subfolders")};

constexpr EchoBlock kTransformBlocks[] = {
    WhileOn("Transform", "Do Image Rotation", kRotation),
    WhileOn("Transform", "Do Image Resize", kResize),
    Always(kFlip),
    WhileOn("Adjustment", "Do Image Color Correction", kColorCorrection),
    Always(kGreyscale),
    WhileOn("Adjustment", "Do Image Threshold", kThreshold),
    Always(kFrameKindRow),
    WhileIs("Frame", "Do Frame", 1, kFrame),
    Always(kWatermarkKindRow),
    WhileIs("Watermark", "Do Watermark", 1, kTextWatermark),
    WhileIs("Watermark", "Do Watermark", 2, kImageWatermark),
    Always(kNaming),
    WhileIs("Advanced", "File Timestamp", 2, kCustomTimestamp),
    Always(kSubfolders),
};

// Two decimals; the special values in the notation the options accept ("nan" or "inf"
// would read back as 0).
std::string FormatDecimal(float value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Infinity" : "-Infinity";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.2f", static_cast<double>(value));
    return buffer;
}

// The echo text of one setting: its keyword when a table is given, else its value.
std::string SettingText(const SettingDef& setting, KeywordTable table, std::string_view format) {
    const SettingField field = setting.field(gSettings);
    if (table != None) {
        return KeywordText(table, static_cast<int>(IntegerValue(field)), format);
    }
    if (const auto* text = std::get_if<std::string*>(&field)) {
        return **text;
    }
    if (const auto* decimal = std::get_if<float*>(&field)) {
        return FormatDecimal(**decimal);
    }
    return std::to_string(IntegerValue(field));
}

std::span<const EchoRow> RowsOf(std::span<const FormatEcho> echoes, std::string_view format) {
    for (const FormatEcho& echo : echoes) {
        if (echo.format == format) {
            return echo.rows;
        }
    }
    return {};
}

} // namespace

std::span<const EchoRow> InputEchoRows(std::string_view inputFormat) {
    return RowsOf(kInputEcho, inputFormat);
}

std::span<const EchoRow> OutputEchoRows(std::string_view conversion) {
    return RowsOf(kOutputEcho, conversion);
}

std::span<const EchoBlock> TransformEchoBlocks() { return kTransformBlocks; }

bool BlockApplies(const EchoBlock& block) {
    if (block.setting == nullptr) {
        return true;
    }
    const int64_t value = IntegerValue(block.setting->field(gSettings));
    return block.nonZero ? value != 0 : value == block.value;
}

std::string EchoLine(const EchoRow& row, std::string_view conversion) {
    std::string line(row.label);
    if (row.setting == nullptr) {
        return line;
    }
    if (row.onlyWhenSet && IntegerValue(row.setting->field(gSettings)) == 0) {
        return {};
    }
    line += SettingText(*row.setting, row.table, conversion);
    if (row.setting2 != nullptr) {
        line += row.separator;
        line += SettingText(*row.setting2, row.table2, conversion);
    }
    return line;
}

} // namespace millconv
