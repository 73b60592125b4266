// The settings table: every setting once, with its group, key, type, default and field.
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "platform/files.h"
#include "settings/format_catalogue.h"

namespace millconv {

Settings gSettings;

namespace {

using T = SettingType;

// A captureless lambda per row keeps the table a constant array of plain function pointers.
#define MILLCONV_FIELD(member) [](Settings& s) -> SettingField { return &s.member; }

constexpr std::array<SettingDef, 134> kTable = {{
    {"General", "CFG", T::Int32, "18", MILLCONV_FIELD(general.cfg)},
    {"General", "Language", T::String, "en", MILLCONV_FIELD(general.language)},
    {"General", "Update Range", T::Int32, "2", MILLCONV_FIELD(general.updateRange)},
    {"General", "Update Date", T::Date, "now", MILLCONV_FIELD(general.updateDate)},
    {"General", "Save Window Position", T::Int8, "1", MILLCONV_FIELD(general.saveWindowPosition)},

    {"Window", "IsMaximized", T::Int8, "0", MILLCONV_FIELD(window.isMaximized)},
    {"Window", "X", T::Int32, "centred", MILLCONV_FIELD(window.x)},
    {"Window", "Y", T::Int32, "centred", MILLCONV_FIELD(window.y)},
    {"Window", "Width", T::Int32, "510", MILLCONV_FIELD(window.width)},
    {"Window", "Height", T::Int32, "260", MILLCONV_FIELD(window.height)},

    {"Interface", "UI Theme", T::String, "handdrawn", MILLCONV_FIELD(interface.uiTheme)},
    {"Interface", "UI Size", T::Int32, "2", MILLCONV_FIELD(interface.uiSize)},

    // The Format defaults come from the product's format lists.
    {"Input", "Format", T::String, "", MILLCONV_FIELD(input.format)},
    {"Input", "DDS Load As", T::Int32, "0", MILLCONV_FIELD(input.ddsLoadAs)},
    {"Input", "GIF Frame Loading", T::Int32, "0", MILLCONV_FIELD(input.gifFrameLoading)},
    {"Input", "ICO Frame Loading", T::Int32, "0", MILLCONV_FIELD(input.icoFrameLoading)},
    {"Input", "TIFF Frame Loading", T::Int32, "0", MILLCONV_FIELD(input.tiffFrameLoading)},
    {"Input", "PSD Color Model", T::Int32, "0", MILLCONV_FIELD(input.psdColorModel)},
    {"Input", "RAW Load As", T::Int32, "0", MILLCONV_FIELD(input.rawLoadAs)},
    {"Input", "RAW Header Size", T::Int32, "0", MILLCONV_FIELD(input.rawHeaderSize)},
    {"Input", "RAW Image Width", T::Int32, "0", MILLCONV_FIELD(input.rawImageWidth)},
    {"Input", "RAW Image Height", T::Int32, "0", MILLCONV_FIELD(input.rawImageHeight)},
    {"Input", "RAW Tone Mapping", T::Int32, "2", MILLCONV_FIELD(input.rawToneMapping)},

    {"Output", "Format", T::String, "", MILLCONV_FIELD(output.format)},
    {"Output", "BMP BPP", T::Int32, "0", MILLCONV_FIELD(output.bmpBpp)},
    {"Output", "BMP Compression", T::Int32, "0", MILLCONV_FIELD(output.bmpCompression)},
    {"Output", "BMP Color Table", T::Int32, "0", MILLCONV_FIELD(output.bmpColorTable)},
    {"Output", "DDS BPP", T::Int32, "0", MILLCONV_FIELD(output.ddsBpp)},
    {"Output", "EXR BPP", T::Int32, "0", MILLCONV_FIELD(output.exrBpp)},
    {"Output", "EXR Compression", T::Int32, "0", MILLCONV_FIELD(output.exrCompression)},
    {"Output", "GIF BPP", T::Int32, "0", MILLCONV_FIELD(output.gifBpp)},
    {"Output", "HDR BPP", T::Int32, "0", MILLCONV_FIELD(output.hdrBpp)},
    {"Output", "ICO BPP", T::Int32, "0", MILLCONV_FIELD(output.icoBpp)},
    {"Output", "J2K BPP", T::Int32, "0", MILLCONV_FIELD(output.j2kBpp)},
    {"Output", "JNG BPP", T::Int32, "0", MILLCONV_FIELD(output.jngBpp)},
    {"Output", "JP2 BPP", T::Int32, "0", MILLCONV_FIELD(output.jp2Bpp)},
    {"Output", "JPG BPP", T::Int32, "0", MILLCONV_FIELD(output.jpgBpp)},
    {"Output", "JPG Quality", T::Int32, "95", MILLCONV_FIELD(output.jpgQuality)},
    {"Output", "JPG Chroma", T::Int32, "0", MILLCONV_FIELD(output.jpgChroma)},
    {"Output", "JPG Save As", T::Int32, "0", MILLCONV_FIELD(output.jpgSaveAs)},
    {"Output", "JXR BPP", T::Int32, "0", MILLCONV_FIELD(output.jxrBpp)},
    {"Output", "PBM BPP", T::Int32, "0", MILLCONV_FIELD(output.pbmBpp)},
    {"Output", "PCX BPP", T::Int32, "0", MILLCONV_FIELD(output.pcxBpp)},
    {"Output", "PFM BPP", T::Int32, "0", MILLCONV_FIELD(output.pfmBpp)},
    {"Output", "PGM BPP", T::Int32, "0", MILLCONV_FIELD(output.pgmBpp)},
    {"Output", "PNG BPP", T::Int32, "0", MILLCONV_FIELD(output.pngBpp)},
    {"Output", "PNG Compression", T::Int32, "0", MILLCONV_FIELD(output.pngCompression)},
    {"Output", "PNG Interlaced", T::Int8, "0", MILLCONV_FIELD(output.pngInterlaced)},
    {"Output", "PPM BPP", T::Int32, "0", MILLCONV_FIELD(output.ppmBpp)},
    {"Output", "PSD BPP", T::Int32, "0", MILLCONV_FIELD(output.psdBpp)},
    {"Output", "TGA BPP", T::Int32, "0", MILLCONV_FIELD(output.tgaBpp)},
    {"Output", "TGA Compression", T::Int32, "0", MILLCONV_FIELD(output.tgaCompression)},
    {"Output", "TIFF BPP", T::Int32, "0", MILLCONV_FIELD(output.tiffBpp)},
    {"Output", "TIFF Compression", T::Int32, "0", MILLCONV_FIELD(output.tiffCompression)},
    {"Output", "TIFF Color Model", T::Int32, "0", MILLCONV_FIELD(output.tiffColorModel)},
    {"Output", "WBMP BPP", T::Int32, "0", MILLCONV_FIELD(output.wbmpBpp)},
    {"Output", "WEBP BPP", T::Int32, "0", MILLCONV_FIELD(output.webpBpp)},
    {"Output", "WEBP Quality", T::Int32, "100", MILLCONV_FIELD(output.webpQuality)},
    {"Output", "XPM BPP", T::Int32, "0", MILLCONV_FIELD(output.xpmBpp)},

    {"Transform", "Do Image Rotation", T::Int8, "0", MILLCONV_FIELD(transform.doImageRotation)},
    {"Transform", "Image Rotation Type", T::Int8, "0", MILLCONV_FIELD(transform.imageRotationType)},
    {"Transform", "Image Rotation", T::Int32, "0", MILLCONV_FIELD(transform.imageRotation)},
    {"Transform", "Image Rotation Back Color", T::String, "000000",
     MILLCONV_FIELD(transform.imageRotationBackColor)},
    {"Transform", "Do Image Resize", T::Int8, "0", MILLCONV_FIELD(transform.doImageResize)},
    {"Transform", "Image Width", T::Int32, "0", MILLCONV_FIELD(transform.imageWidth)},
    {"Transform", "Image Width Unit", T::Int8, "0", MILLCONV_FIELD(transform.imageWidthUnit)},
    {"Transform", "Image Height", T::Int32, "0", MILLCONV_FIELD(transform.imageHeight)},
    {"Transform", "Image Height Unit", T::Int8, "0", MILLCONV_FIELD(transform.imageHeightUnit)},
    // Window mode's default; console runs get 0 from SetDefaultSettings.
    {"Transform", "Keep Aspect Ratio", T::Int8, "1", MILLCONV_FIELD(transform.keepAspectRatio)},
    {"Transform", "Image Resize Type", T::Int8, "0", MILLCONV_FIELD(transform.imageResizeType)},
    {"Transform", "Image Resize Algorithm", T::Int8, "3",
     MILLCONV_FIELD(transform.imageResizeAlgorithm)},
    {"Transform", "Do Image Flip Horizontal", T::Int8, "0",
     MILLCONV_FIELD(transform.doImageFlipHorizontal)},
    {"Transform", "Do Image Flip Vertical", T::Int8, "0",
     MILLCONV_FIELD(transform.doImageFlipVertical)},

    {"Adjustment", "Do Image Color Correction", T::Int8, "0",
     MILLCONV_FIELD(adjustment.doImageColorCorrection)},
    {"Adjustment", "Image Brightness", T::Int32, "0", MILLCONV_FIELD(adjustment.imageBrightness)},
    {"Adjustment", "Image Contrast", T::Int32, "0", MILLCONV_FIELD(adjustment.imageContrast)},
    {"Adjustment", "Image Gamma", T::Float, "1.0", MILLCONV_FIELD(adjustment.imageGamma)},
    {"Adjustment", "Image Invert", T::Int8, "0", MILLCONV_FIELD(adjustment.imageInvert)},
    {"Adjustment", "Do Image Greyscale", T::Int8, "0", MILLCONV_FIELD(adjustment.doImageGreyscale)},
    {"Adjustment", "Do Image Threshold", T::Int8, "0", MILLCONV_FIELD(adjustment.doImageThreshold)},
    {"Adjustment", "Image Threshold", T::Int32, "0", MILLCONV_FIELD(adjustment.imageThreshold)},

    {"Frame", "Do Frame", T::Int8, "0", MILLCONV_FIELD(frame.doFrame)},
    {"Frame", "Solid Left", T::Int32, "0", MILLCONV_FIELD(frame.solidLeft)},
    {"Frame", "Solid Right", T::Int32, "0", MILLCONV_FIELD(frame.solidRight)},
    {"Frame", "Solid Top", T::Int32, "0", MILLCONV_FIELD(frame.solidTop)},
    {"Frame", "Solid Bottom", T::Int32, "0", MILLCONV_FIELD(frame.solidBottom)},
    {"Frame", "Solid Left Color", T::String, "000000", MILLCONV_FIELD(frame.solidLeftColor)},
    {"Frame", "Solid Right Color", T::String, "000000", MILLCONV_FIELD(frame.solidRightColor)},
    {"Frame", "Solid Top Color", T::String, "000000", MILLCONV_FIELD(frame.solidTopColor)},
    {"Frame", "Solid Bottom Color", T::String, "000000", MILLCONV_FIELD(frame.solidBottomColor)},
    {"Frame", "Solid Opacity", T::Int32, "255", MILLCONV_FIELD(frame.solidOpacity)},

    {"Watermark", "Do Watermark", T::Int8, "0", MILLCONV_FIELD(watermark.doWatermark)},
    {"Watermark", "Text", T::String, "Converted with Pixelmill PNG to TGA",
     MILLCONV_FIELD(watermark.text)},
    {"Watermark", "Fonts", T::String, "Arial,Tahoma,Verdana", MILLCONV_FIELD(watermark.fonts)},
    {"Watermark", "Font", T::String, "Arial", MILLCONV_FIELD(watermark.font)},
    {"Watermark", "Font Size", T::Int32, "14", MILLCONV_FIELD(watermark.fontSize)},
    {"Watermark", "Font Leading", T::Int32, "0", MILLCONV_FIELD(watermark.fontLeading)},
    {"Watermark", "Font Colors", T::String,
     "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF",
     MILLCONV_FIELD(watermark.fontColors)},
    {"Watermark", "Font Color", T::String, "FFFFFF", MILLCONV_FIELD(watermark.fontColor)},
    {"Watermark", "Font Style", T::Int8, "0", MILLCONV_FIELD(watermark.fontStyle)},
    {"Watermark", "Font Effect", T::Int8, "0", MILLCONV_FIELD(watermark.fontEffect)},
    {"Watermark", "Text Antialiasing", T::Int8, "0", MILLCONV_FIELD(watermark.textAntialiasing)},
    {"Watermark", "Text Alignment", T::Int8, "0", MILLCONV_FIELD(watermark.textAlignment)},
    {"Watermark", "Text Padding", T::Int32, "0", MILLCONV_FIELD(watermark.textPadding)},
    {"Watermark", "Text Opacity", T::Int32, "255", MILLCONV_FIELD(watermark.textOpacity)},
    {"Watermark", "Back Colors", T::String,
     "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF",
     MILLCONV_FIELD(watermark.backColors)},
    {"Watermark", "Back Color", T::String, "000000", MILLCONV_FIELD(watermark.backColor)},
    {"Watermark", "Back Opacity", T::Int32, "1", MILLCONV_FIELD(watermark.backOpacity)},
    {"Watermark", "Text Boundary", T::Int8, "0", MILLCONV_FIELD(watermark.textBoundary)},
    {"Watermark", "Text Position", T::Int8, "8", MILLCONV_FIELD(watermark.textPosition)},
    {"Watermark", "Text X Offset", T::Int32, "10", MILLCONV_FIELD(watermark.textXOffset)},
    {"Watermark", "Text Y Offset", T::Int32, "10", MILLCONV_FIELD(watermark.textYOffset)},
    {"Watermark", "Text Rotation", T::Int32, "0", MILLCONV_FIELD(watermark.textRotation)},
    {"Watermark", "Text Size", T::Int8, "0", MILLCONV_FIELD(watermark.textSize)},
    {"Watermark", "Text Scale", T::Int32, "10", MILLCONV_FIELD(watermark.textScale)},
    {"Watermark", "Image", T::String, "", MILLCONV_FIELD(watermark.image)},
    {"Watermark", "Image Greyscale", T::Int8, "0", MILLCONV_FIELD(watermark.imageGreyscale)},
    {"Watermark", "Image Opacity", T::Int32, "255", MILLCONV_FIELD(watermark.imageOpacity)},
    {"Watermark", "Image Boundary", T::Int8, "0", MILLCONV_FIELD(watermark.imageBoundary)},
    {"Watermark", "Image Position", T::Int8, "8", MILLCONV_FIELD(watermark.imagePosition)},
    {"Watermark", "Image X Offset", T::Int32, "10", MILLCONV_FIELD(watermark.imageXOffset)},
    {"Watermark", "Image Y Offset", T::Int32, "10", MILLCONV_FIELD(watermark.imageYOffset)},
    {"Watermark", "Image Rotation", T::Int32, "0", MILLCONV_FIELD(watermark.imageRotation)},
    {"Watermark", "Image Size", T::Int8, "0", MILLCONV_FIELD(watermark.imageSize)},
    {"Watermark", "Image Scale", T::Int32, "10", MILLCONV_FIELD(watermark.imageScale)},

    {"Advanced", "Filename Mask", T::String, "%filename%.%ext%",
     MILLCONV_FIELD(advanced.filenameMask)},
    {"Advanced", "File Timestamp", T::Int8, "0", MILLCONV_FIELD(advanced.fileTimestamp)},
    {"Advanced", "Custom Timestamp", T::Date, "now", MILLCONV_FIELD(advanced.customTimestamp)},
    {"Advanced", "Out Folders History", T::Int8, "1", MILLCONV_FIELD(advanced.outFoldersHistory)},
    {"Advanced", "Out Folders Number", T::Int8, "5", MILLCONV_FIELD(advanced.outFoldersNumber)},
    {"Advanced", "Keep Subfolders", T::Int8, "1", MILLCONV_FIELD(advanced.keepSubfolders)},

    {"File", "Recent Out Folders", T::String, "", MILLCONV_FIELD(file.recentOutFolders)},
    {"File", "Recent Files", T::String, "", MILLCONV_FIELD(file.recentFiles)},

    {"Privacy", "Clean Recent Files", T::Int8, "0", MILLCONV_FIELD(privacy.cleanRecentFiles)},
}};

#undef MILLCONV_FIELD

DesktopSizeHook gDesktopSizeHook = nullptr;

constexpr int32_t kDefaultWidth = 510;
constexpr int32_t kDefaultHeight = 260;
constexpr int32_t kUncentredPosition = 100;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

template <typename Number> Number ParseDefault(std::string_view text) {
    Number value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::span<const SettingDef> SettingsTable() { return kTable; }

const SettingDef* FindSetting(std::string_view group, std::string_view key) {
    for (const SettingDef& def : kTable) {
        if (EqualsIgnoringCase(def.group, group) && EqualsIgnoringCase(def.key, key)) {
            return &def;
        }
    }
    return nullptr;
}

void AssignInteger(const SettingField& field, int64_t value) {
    if (auto* p = std::get_if<int32_t*>(&field)) {
        // Out-of-range numbers saturate rather than wrap into an unrelated value.
        **p = static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max()));
    } else if (auto* p8 = std::get_if<int8_t*>(&field)) {
        **p8 = static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
    } else if (auto* pf = std::get_if<float*>(&field)) {
        **pf = static_cast<float>(value);
    } else if (auto* ps = std::get_if<std::string*>(&field)) {
        **ps = std::to_string(value);
    }
}

void SetDefaultSettings(bool consoleMode, Settings& settings) {
    const int64_t now = DateValueNow();
    for (const SettingDef& def : kTable) {
        const SettingField field = def.field(settings);
        switch (def.type) {
        case SettingType::Date:
            AssignInteger(field, now);
            break;
        case SettingType::Int32:
        case SettingType::Int8:
            AssignInteger(field, ParseDefault<int64_t>(def.defaultValue));
            break;
        case SettingType::Float:
            *std::get<float*>(field) = ParseDefault<float>(def.defaultValue);
            break;
        case SettingType::String:
            *std::get<std::string*>(field) = std::string(def.defaultValue);
            break;
        }
    }

    settings.window.width = kDefaultWidth;
    settings.window.height = kDefaultHeight;
    const DesktopSize desktop = gDesktopSizeHook ? gDesktopSizeHook() : DesktopSize{};
    settings.window.x =
        desktop.width > kDefaultWidth ? (desktop.width - kDefaultWidth) / 2 : kUncentredPosition;
    settings.window.y = desktop.height > kDefaultHeight ? (desktop.height - kDefaultHeight) / 2
                                                        : kUncentredPosition;

    const auto& inputs = InputFormatList();
    const auto& outputs = OutputFormatList();
    settings.input.format = inputs.empty() ? std::string() : inputs.front();
    settings.output.format = outputs.empty() ? std::string() : outputs.front();

    settings.transform.keepAspectRatio = consoleMode ? 0 : 1;
    settings.file.recentOutFolders.clear();
    settings.file.recentFiles.clear();
}

void SetDesktopSizeHook(DesktopSizeHook hook) { gDesktopSizeHook = hook; }

} // namespace millconv
