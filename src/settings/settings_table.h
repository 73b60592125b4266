// The settings table: every setting once, with its group, key, type, default and field. It is
// constant and visible to every reader, so that other tables name settings by compile-time
// checked references (SettingRef) instead of looking them up by text at run time.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "settings/output_formats.h"
#include "settings/settings.h"
#include "settings/table_join.h"

namespace millconv {

namespace settings_rows {

using T = SettingType;

// A captureless lambda per row keeps the table a constant array of plain function pointers.
#define MILLCONV_FIELD(member) [](Settings& s) -> SettingField { return &s.member; }

// The groups before the per-format output keys, ending with [Output] Format.
inline constexpr auto kLeading = std::to_array<SettingDef>({
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
});

// The groups after the per-format output keys.
inline constexpr auto kTrailing = std::to_array<SettingDef>({
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

    // Last, so older versions, which ignore a group they do not know, read the file as before.
    {"Preview", "X", T::Int32, "0", MILLCONV_FIELD(previewWindow.x)},
    {"Preview", "Y", T::Int32, "0", MILLCONV_FIELD(previewWindow.y)},
    {"Preview", "Width", T::Int32, "0", MILLCONV_FIELD(previewWindow.width)},
    {"Preview", "Height", T::Int32, "0", MILLCONV_FIELD(previewWindow.height)},
});

#undef MILLCONV_FIELD

// The output keys of every format row: its depth, then its options.
struct OutputKey {
    std::string_view key;
    std::string_view defaultValue;
    OutputMember member;
};

constexpr size_t CountOutputKeys() {
    size_t count = 0;
    for (const OutputFormat& format : kOutputFormats) {
        count += 1 + format.options.size();
    }
    return count;
}

inline constexpr auto kOutputKeys = [] {
    std::array<OutputKey, CountOutputKeys()> keys{};
    size_t next = 0;
    for (const OutputFormat& format : kOutputFormats) {
        keys[next++] = {format.depthKey, "0", format.depth};
        for (const FormatOption& option : format.options) {
            keys[next++] = {option.key, option.defaultValue, option.member};
        }
    }
    return keys;
}();

template <size_t I> SettingField OutputKeyField(Settings& settings) {
    constexpr OutputMember member = kOutputKeys[I].member;
    if constexpr (std::holds_alternative<int8_t Settings::Output::*>(member)) {
        return &(settings.output.*std::get<int8_t Settings::Output::*>(member));
    } else {
        return &(settings.output.*std::get<int32_t Settings::Output::*>(member));
    }
}

template <size_t... I> constexpr auto OutputKeyRows(std::index_sequence<I...>) {
    return std::array<SettingDef, sizeof...(I)>{{
        {"Output", kOutputKeys[I].key,
         std::holds_alternative<int8_t Settings::Output::*>(kOutputKeys[I].member) ? T::Int8
                                                                                   : T::Int32,
         kOutputKeys[I].defaultValue, &OutputKeyField<I>}...,
    }};
}

} // namespace settings_rows

// All 140 settings in table (and config.ini) order.
inline constexpr auto kSettingsTable = JoinTables(
    settings_rows::kLeading,
    settings_rows::OutputKeyRows(std::make_index_sequence<settings_rows::kOutputKeys.size()>()),
    settings_rows::kTrailing);
static_assert(kSettingsTable.size() == 140);

// Never defined: a compile-time setting reference that names no setting calls it, which stops
// the build there.
void UnknownSettingReference();

// The row of a setting, named exactly as in config.ini; resolved while compiling, so a
// misspelt group or key is a build error rather than an empty value at run time.
consteval const SettingDef* SettingRef(std::string_view group, std::string_view key) {
    for (const SettingDef& def : kSettingsTable) {
        if (def.group == group && def.key == key) {
            return &def;
        }
    }
    UnknownSettingReference();
    return nullptr;
}

} // namespace millconv
