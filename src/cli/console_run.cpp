// The console conversion run: checks, debug echo, import, worker and result lines.
#include "cli/console_run.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "base/text.h"
#include "cli/option_table.h"
#include "engine/batch.h"
#include "engine/job_record.h"
#include "engine/output_parameters.h"
#include "engine/watermark.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

namespace millconv {

namespace {

using enum KeywordTable;

// A value check of the run: the setting passes when accept() says so.
struct Check {
    bool (*accept)() = nullptr;
    std::string_view error; // the whole line printed on failure
};

// One line of the debug echo: a label and the setting it shows, as a number, a keyword of
// a table, a decimal with two places or a text. A second setting of the same group may
// follow after a separator ("Width: 800 PIXELS"). A row may carry a check that runs after
// the line, in every run; a row without a label is only a check.
struct EchoRow {
    std::string_view label;
    std::string_view group;
    std::string_view key;
    KeywordTable table = None;
    std::string_view key2 = {};
    KeywordTable table2 = None;
    std::string_view separator = {};
    Check check = {};
};

// A run of rows shown only while a setting holds a value (nonZero: any value but 0).
struct EchoBlock {
    std::string_view group;
    std::string_view key;
    int value;
    bool nonZero;
    std::span<const EchoRow> rows;
};

// Builders keep the tables one line per row.
constexpr EchoRow Row(std::string_view label, std::string_view group, std::string_view key,
                      KeywordTable table = None, Check check = {}) {
    return {label, group, key, table, {}, None, {}, check};
}

// Two settings of one group on one line, joined by a separator.
constexpr EchoRow Pair(std::string_view label, std::string_view group, std::string_view key,
                       std::string_view key2, KeywordTable table2, std::string_view separator,
                       Check check = {}) {
    return {label, group, key, None, key2, table2, separator, check};
}

constexpr EchoRow CheckOnly(Check check) { return {{}, {}, {}, None, {}, None, {}, check}; }

// ---- Checks. ----

bool InPercentRange(int32_t value) { return value >= -100 && value <= 100; }
bool InQualityRange(int32_t value) { return value >= 1 && value <= 100; }

bool WatermarkFontLoads() { return LoadWatermarkFont(); }

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
constexpr Check kImageCheck = {[] { return CheckWatermarkImage() == WatermarkImageCheck::Valid; },
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
    Row("TGA Compression: ", "Output", "TGA Compression", Compression)};
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
    {"Transform", "Do Image Rotation", 0, true, kRotation},
    {"Transform", "Do Image Resize", 0, true, kResize},
    {{}, {}, 0, false, kFlip},
    {"Adjustment", "Do Image Color Correction", 0, true, kColorCorrection},
    {{}, {}, 0, false, kGreyscale},
    {"Adjustment", "Do Image Threshold", 0, true, kThreshold},
    {{}, {}, 0, false, kFrameKindRow},
    {"Frame", "Do Frame", 1, false, kFrame},
    {{}, {}, 0, false, kWatermarkKindRow},
    {"Watermark", "Do Watermark", 1, false, kTextWatermark},
    {"Watermark", "Do Watermark", 2, false, kImageWatermark},
    {{}, {}, 0, false, kNaming},
    {"Advanced", "File Timestamp", 2, false, kCustomTimestamp},
    {{}, {}, 0, false, kSubfolders},
};

// ---- Helpers. ----

// The loaded watermark font is released however the run ends.
struct FontRelease {
    ~FontRelease() {
        if (WatermarkFontLoaded()) {
            FreeWatermarkFont();
        }
    }
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

int64_t IntegerOf(const SettingField& field) {
    if (const auto* value = std::get_if<int32_t*>(&field)) {
        return **value;
    }
    if (const auto* value = std::get_if<int8_t*>(&field)) {
        return **value;
    }
    return 0;
}

// The echo text of one setting: its keyword when a table is given, else its value.
std::string SettingText(std::string_view group, std::string_view key, KeywordTable table,
                        std::string_view format) {
    const SettingDef* setting = FindSetting(group, key);
    if (setting == nullptr) {
        return {};
    }
    const SettingField field = setting->field(gSettings);
    if (table != None) {
        return KeywordText(table, static_cast<int>(IntegerOf(field)), format);
    }
    if (const auto* text = std::get_if<std::string*>(&field)) {
        return **text;
    }
    if (const auto* decimal = std::get_if<float*>(&field)) {
        return FormatDecimal(**decimal);
    }
    return std::to_string(IntegerOf(field));
}

bool BlockApplies(const EchoBlock& block) {
    if (block.key.empty()) {
        return true;
    }
    const SettingDef* setting = FindSetting(block.group, block.key);
    if (setting == nullptr) {
        return false;
    }
    const int64_t value = IntegerOf(setting->field(gSettings));
    return block.nonZero ? value != 0 : value == block.value;
}

class ConsoleRun {
  public:
    explicit ConsoleRun(bool quiet) : quiet_(quiet), debug_(gJob.runMode == "DEBUG") {}

    int Run();

  private:
    void Status(std::string_view line) const {
        if (!quiet_) {
            PrintLine(line);
        }
    }

    void Echo(std::string_view line) const {
        if (debug_) {
            PrintLine(line);
        }
    }

    // Prints an error line (also when quiet) and gives the failing exit status.
    static int Fail(std::string_view line) {
        PrintLine(line);
        return 1;
    }

    void EchoRowLine(const EchoRow& row) const {
        if (!debug_ || row.label.empty()) {
            return;
        }
        std::string line(row.label);
        line += SettingText(row.group, row.key, row.table, gJob.conversion);
        if (!row.key2.empty()) {
            line += row.separator;
            line += SettingText(row.group, row.key2, row.table2, gJob.conversion);
        }
        PrintLine(line);
    }

    // Echoes and checks rows in order; false after printing the first failing check.
    bool RunRows(std::span<const EchoRow> rows) const {
        for (const EchoRow& row : rows) {
            EchoRowLine(row);
            if (row.check.accept != nullptr && !row.check.accept()) {
                PrintLine(row.check.error);
                return false;
            }
        }
        return true;
    }

    bool CheckInput();
    bool CheckOutputFolder();
    bool CheckFormats();
    bool CheckOutputSettings();
    bool DepthAllowed(int32_t depth) const;

    bool quiet_;
    bool debug_;
};

bool ConsoleRun::CheckInput() {
    const std::string given = gJob.baseFolder;
    Echo("Input: " + given);
    gJob.baseFolder.clear();
    if (ExtensionOf(given).empty()) {
        return false;
    }
    gJob.currentInput = given;
    // A missing path, a folder and an empty file are all refused.
    return FileSize(gJob.currentInput) >= 1;
}

bool ConsoleRun::CheckOutputFolder() {
    std::string& folder = gJob.outputFolder;
    if (folder.empty()) {
        folder = FolderOf(gJob.currentInput);
    }
    Echo("Output: " + folder);
    if (folder.starts_with("..")) {
        PrintLine("Error: Incorrect output folder");
        return false;
    }
    if (!folder.starts_with("/")) {
        // Relative folders are found below the program folder, not the current one.
        if (folder.starts_with("./")) {
            folder.erase(0, 2);
        }
        folder = gJob.programFolder + folder;
    }
    if (!folder.ends_with("/")) {
        folder += '/';
    }
    if (!FolderExists(folder)) {
        PrintLine("Error: Invalid output folder");
        return false;
    }
    return true;
}

bool ConsoleRun::CheckFormats() {
    if (gJob.inputFormat.empty() && !InputFormatList().empty()) {
        gJob.inputFormat = InputFormatList().front();
    }
    if (gJob.conversion.empty() && !OutputFormatList().empty()) {
        gJob.conversion = OutputFormatList().front();
    }
    Echo("Conversion: " + gJob.conversion);
    for (const std::string& extension : OutputFormatList()) {
        if (extension == gJob.conversion) {
            return true;
        }
    }
    PrintLine("Error: Invalid conversion type");
    return false;
}

bool ConsoleRun::DepthAllowed(int32_t depth) const {
    if (depth == 0) {
        return true;
    }
    const FormatEntry* entry = FindOutputFormat(gJob.conversion);
    if (entry == nullptr) {
        return false;
    }
    // At most the first 127 entries of the list count.
    std::string_view list = entry->depths;
    for (int examined = 0; examined < 127 && !list.empty(); ++examined) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        if (item == std::to_string(depth)) {
            return true;
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

bool ConsoleRun::CheckOutputSettings() {
    for (const FormatEcho& echo : kInputEcho) {
        if (echo.format == gJob.inputFormat) {
            for (const EchoRow& row : echo.rows) {
                EchoRowLine(row);
            }
        }
    }
    const int32_t* depthSetting = DepthSettingFor(gJob.conversion);
    const int32_t depth = depthSetting != nullptr ? *depthSetting : 0;
    if (depthSetting != nullptr) {
        Echo(UpperCase(gJob.conversion) + " BPP: " + std::to_string(depth));
    }
    std::span<const EchoRow> rows;
    for (const FormatEcho& echo : kOutputEcho) {
        if (echo.format == gJob.conversion) {
            rows = echo.rows;
        }
    }
    for (const EchoRow& row : rows) {
        EchoRowLine(row);
    }
    if (!DepthAllowed(depth)) {
        PrintLine("Error: Invalid " + LowerCase(gJob.conversion) + "-bpp value");
        return false;
    }
    for (const EchoRow& row : rows) {
        if (row.check.accept != nullptr && !row.check.accept()) {
            PrintLine(row.check.error);
            return false;
        }
    }
    return true;
}

int ConsoleRun::Run() {
    FontRelease fontRelease;
    Status(CatalogueText("General", "Preparing"));
    if (!CheckInput()) {
        return Fail("Error: Invalid input file");
    }
    if (!CheckOutputFolder() || !CheckFormats() || !CheckOutputSettings()) {
        return 1;
    }
    for (const EchoBlock& block : kTransformBlocks) {
        if (BlockApplies(block) && !RunRows(block.rows)) {
            return 1;
        }
    }
    PrepareOutputParameters();

    Status(CatalogueText("General", "Importing"));
    int added = 0;
    const std::string extension = LowerCase(ExtensionOf(gJob.currentInput));
    if (extension != "txt" && extension != "lst" && AddInputFile(gJob.currentInput)) {
        added = 1;
    }
    Status(FormatMessage(CatalogueText("Msg", "Import complete"), std::to_string(added)));
    if (added == 0) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
        PrintLine(CatalogueText("Msg", "Empty input files"));
        return 1;
    }

    Status(CatalogueText("General", "Converting"));
    if (!StartConversionWorker()) {
        return Fail(CatalogueText("Msg", "Conversion is not complete"));
    }
    JoinConversionWorker();
    const int32_t converted = ReadProgress().convertedCount;
    if (converted == 0) {
        return Fail(CatalogueText("Msg", "Conversion is not complete"));
    }
    Status(CatalogueText("Msg", "Conversion complete"));
    Status(FormatMessage(CatalogueText("Msg", "Files converted"), std::to_string(converted),
                         std::to_string(added)));
    return 0;
}

} // namespace

int RunConsoleConversion(bool quiet) { return ConsoleRun(quiet).Run(); }

} // namespace millconv
