// The settings record: every user-adjustable option, one field per key of config.ini.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace millconv {

// Groups mirror the config.ini groups; members mirror the keys ("TGA Compression" ->
// output.tgaCompression). int8_t fields keep only the low 8 bits of what they are given.
struct Settings {
    // Runtime fields, never stored.
    std::string settingsFilePath;

    struct General {
        int32_t cfg = 0;
        std::string language;
        int32_t updateRange = 0;
        int32_t updateDate = 0;
        int8_t saveWindowPosition = 0;
    } general;

    struct Window {
        int8_t isMaximized = 0;
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
    } window;

    struct Interface {
        std::string uiTheme;
        int32_t uiSize = 0;
    } interface;

    struct Input {
        std::string format;
        int32_t ddsLoadAs = 0;
        int32_t gifFrameLoading = 0;
        int32_t icoFrameLoading = 0;
        int32_t tiffFrameLoading = 0;
        int32_t psdColorModel = 0;
        int32_t rawLoadAs = 0;
        int32_t rawHeaderSize = 0;
        int32_t rawImageWidth = 0;
        int32_t rawImageHeight = 0;
        int32_t rawToneMapping = 0;
    } input;

    struct Output {
        std::string format;
        int32_t bmpBpp = 0;
        int32_t bmpCompression = 0;
        int32_t bmpColorTable = 0;
        int32_t ddsBpp = 0;
        int32_t exrBpp = 0;
        int32_t exrCompression = 0;
        int32_t gifBpp = 0;
        int32_t hdrBpp = 0;
        int32_t icoBpp = 0;
        int32_t j2kBpp = 0;
        int32_t jngBpp = 0;
        int32_t jp2Bpp = 0;
        int32_t jpgBpp = 0;
        int32_t jpgQuality = 0;
        int32_t jpgChroma = 0;
        int32_t jpgSaveAs = 0;
        int32_t jxrBpp = 0;
        int32_t pbmBpp = 0;
        int32_t pcxBpp = 0;
        int32_t pfmBpp = 0;
        int32_t pgmBpp = 0;
        int32_t pngBpp = 0;
        int32_t pngCompression = 0;
        int8_t pngInterlaced = 0;
        int32_t ppmBpp = 0;
        int32_t psdBpp = 0;
        int32_t tgaBpp = 0;
        int32_t tgaCompression = 0;
        int32_t tgaAlpha = 0;  // 0 flatten onto white, 1 keep
        int32_t tgaOrigin = 0; // 0 bottom-left, 1 top-left
        int32_t tiffBpp = 0;
        int32_t tiffCompression = 0;
        int32_t tiffColorModel = 0;
        int32_t wbmpBpp = 0;
        int32_t webpBpp = 0;
        int32_t webpQuality = 0;
        int32_t xpmBpp = 0;
    } output;

    struct Transform {
        int8_t doImageRotation = 0;
        int8_t imageRotationType = 0;
        int32_t imageRotation = 0;
        std::string imageRotationBackColor;
        int8_t doImageResize = 0;
        int32_t imageWidth = 0;
        int8_t imageWidthUnit = 0;
        int32_t imageHeight = 0;
        int8_t imageHeightUnit = 0;
        int8_t keepAspectRatio = 0;
        int8_t imageResizeType = 0;
        int8_t imageResizeAlgorithm = 0;
        int8_t doImageFlipHorizontal = 0;
        int8_t doImageFlipVertical = 0;
    } transform;

    struct Adjustment {
        int8_t doImageColorCorrection = 0;
        int32_t imageBrightness = 0;
        int32_t imageContrast = 0;
        float imageGamma = 0.0f;
        int8_t imageInvert = 0;
        int8_t doImageGreyscale = 0;
        int8_t doImageThreshold = 0;
        int32_t imageThreshold = 0;
    } adjustment;

    struct Frame {
        int8_t doFrame = 0;
        int32_t solidLeft = 0;
        int32_t solidRight = 0;
        int32_t solidTop = 0;
        int32_t solidBottom = 0;
        std::string solidLeftColor;
        std::string solidRightColor;
        std::string solidTopColor;
        std::string solidBottomColor;
        int32_t solidOpacity = 0;
    } frame;

    struct Watermark {
        int8_t doWatermark = 0;
        std::string text;
        std::string fonts;
        std::string font;
        int32_t fontSize = 0;
        int32_t fontLeading = 0;
        std::string fontColors;
        std::string fontColor;
        int8_t fontStyle = 0;
        int8_t fontEffect = 0;
        int8_t textAntialiasing = 0;
        int8_t textAlignment = 0;
        int32_t textPadding = 0;
        int32_t textOpacity = 0;
        std::string backColors;
        std::string backColor;
        int32_t backOpacity = 0;
        int8_t textBoundary = 0;
        int8_t textPosition = 0;
        int32_t textXOffset = 0;
        int32_t textYOffset = 0;
        int32_t textRotation = 0;
        int8_t textSize = 0;
        int32_t textScale = 0;
        std::string image;
        int8_t imageGreyscale = 0;
        int32_t imageOpacity = 0;
        int8_t imageBoundary = 0;
        int8_t imagePosition = 0;
        int32_t imageXOffset = 0;
        int32_t imageYOffset = 0;
        int32_t imageRotation = 0;
        int8_t imageSize = 0;
        int32_t imageScale = 0;
    } watermark;

    struct Advanced {
        std::string filenameMask;
        int8_t fileTimestamp = 0;
        int32_t customTimestamp = 0;
        int8_t outFoldersHistory = 0;
        int8_t outFoldersNumber = 0;
        int8_t keepSubfolders = 0;
    } advanced;

    struct File {
        std::string recentOutFolders;
        std::string recentFiles;
    } file;

    struct Privacy {
        int8_t cleanRecentFiles = 0;
    } privacy;

    // The preview window's placement; a width of 0 means it was never opened, and then the
    // group is left out of config.ini.
    struct PreviewWindow {
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
    } previewWindow;
};

// The one process-wide settings record. Written on the main thread only; the worker reads it.
extern Settings gSettings;

// How a setting is stored. Date values are int32 seconds of local wall-clock time.
enum class SettingType { Int32, Int8, Float, String, Date };

using SettingField = std::variant<int32_t*, int8_t*, float*, std::string*>;

// One row of the settings table: the single description of a setting that defaults,
// config.ini loading and saving, profiles and the debug echo all walk.
struct SettingDef {
    std::string_view group;
    std::string_view key;
    SettingType type;
    std::string_view defaultValue; // "now", "centred" and the format-list defaults are computed
    SettingField (*field)(Settings&);
};

// All 140 settings in table (and config.ini) order.
std::span<const SettingDef> SettingsTable();

// Case-insensitive look-up by group and key; nullptr when there is no such setting.
const SettingDef* FindSetting(std::string_view group, std::string_view key);

// Stores a value in a field by its type: integers keep the low 8 bits in int8 fields.
void AssignInteger(const SettingField& field, int64_t value);

// The value of an integer field (a decimal one truncated); 0 for a text field.
int64_t IntegerValue(const SettingField& field);

// Fills the record with the built-in defaults. consoleMode only changes `Keep Aspect Ratio`.
void SetDefaultSettings(bool consoleMode, Settings& settings = gSettings);

// Desktop size used to centre the default window; the window module installs it.
// Without a hook (console, tests) the default position is X = Y = 100.
struct DesktopSize {
    int32_t width = 0;
    int32_t height = 0;
};
using DesktopSizeHook = DesktopSize (*)();
void SetDesktopSizeHook(DesktopSizeHook hook);

} // namespace millconv
