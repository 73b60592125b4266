// The output formats: one constant row per format, read by the settings table, the option
// table, the output catalogue and the writer flags.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "settings/settings.h"

namespace millconv {

// Image-library values, spelled out because only the engine may include the library's header;
// the engine checks every one of them against the library when it is compiled.
inline constexpr int32_t kNoFormatId = -1; // the library's "unknown format": nothing is written
inline constexpr int32_t kBmpSaveRle = 1;
inline constexpr int32_t kTargaSaveRle = 2;
inline constexpr int32_t kExrNone = 0x2;
inline constexpr int32_t kExrZip = 0x4;
inline constexpr int32_t kExrPiz = 0x8;
inline constexpr int32_t kExrPxr24 = 0x10;
inline constexpr int32_t kExrB44 = 0x20;
inline constexpr int32_t kJpegSubsampling444 = 0x10000;
inline constexpr int32_t kJpegSubsampling422 = 0x8000;
inline constexpr int32_t kJpegSubsampling420 = 0x4000;
inline constexpr int32_t kJpegSubsampling411 = 0x1000;
inline constexpr int32_t kJpegBaseline = 0x40000;
inline constexpr int32_t kJpegOptimize = 0x20000;
inline constexpr int32_t kJpegProgressive = 0x2000;
inline constexpr int32_t kPngNoCompression = 0x100;
inline constexpr int32_t kPngBestSpeed = 1;
inline constexpr int32_t kPngDefaultCompression = 6;
inline constexpr int32_t kPngBestCompression = 9;
inline constexpr int32_t kPngInterlaced = 0x200;
inline constexpr int32_t kTiffNone = 0x800;
inline constexpr int32_t kTiffCcittFax3 = 0x1000;
inline constexpr int32_t kTiffCcittFax4 = 0x2000;
inline constexpr int32_t kTiffPackBits = 0x100;
inline constexpr int32_t kTiffDeflate = 0x200;
inline constexpr int32_t kTiffAdobeDeflate = 0x400;
inline constexpr int32_t kTiffLzw = 0x4000;
inline constexpr int32_t kTiffJpeg = 0x8000;
inline constexpr int32_t kTiffLogLuv = 0x10000;
inline constexpr int32_t kTiffCmyk = 0x1;
inline constexpr int32_t kWebpLossless = 0x100;
inline constexpr int32_t kJxrFlags = 100; // the writer's default quality

// A format setting's field: every one is an int32 but the PNG interlace switch.
using OutputMember = std::variant<int32_t Settings::Output::*, int8_t Settings::Output::*>;

// One stored value of a choice setting: its keyword (compression only; the other choices
// keep their words in the option vocabulary) and the writer flag it stands for.
struct FlagChoice {
    std::string_view word;
    int32_t flag;
};

// How a format setting adds to the writer flags.
enum class FlagRule {
    None,        // stored and edited, not written
    Compression, // as Choice; the words are the compression keywords of the format
    Choice,      // the value indexes the choices; a value outside them adds nothing
    Quality,     // low..high pass as they are, except that high becomes the flag when one is set
    Switch,      // any value but 0 adds the flag
};

// A setting of one output format besides its depth, in config.ini order.
struct FormatOption {
    std::string_view key;
    OutputMember member;
    std::string_view defaultValue = "0";
    FlagRule rule = FlagRule::None;
    std::span<const FlagChoice> choices = {};
    int32_t low = 0;
    int32_t high = 0;
    int32_t flag = 0;
};

struct OutputFormat {
    std::string_view extension; // lower-case, no dot: the catalogue key and the -c word
    int32_t formatId;           // kNoFormatId: no catalogue entry, so no writer either
    std::string_view description;
    std::string_view depths;   // bits per pixel that may be requested, comma-separated, ascending
    std::string_view depthKey; // the Output key of the requested depth; 0 means automatic
    int32_t Settings::Output::*depth;
    std::span<const FormatOption> options = {};
    int32_t fixedFlags = 0;
};

namespace output_rows {

constexpr FormatOption Plain(std::string_view key, OutputMember member) { return {key, member}; }

constexpr FormatOption Compression(std::string_view key, int32_t Settings::Output::*member,
                                   std::span<const FlagChoice> choices) {
    return {key, member, "0", FlagRule::Compression, choices};
}

constexpr FormatOption Choice(std::string_view key, int32_t Settings::Output::*member,
                              std::span<const FlagChoice> choices) {
    return {key, member, "0", FlagRule::Choice, choices};
}

constexpr FormatOption Quality(std::string_view key, int32_t Settings::Output::*member,
                               std::string_view defaultValue, int32_t low, int32_t high,
                               int32_t flagAtHigh = 0) {
    return {key, member, defaultValue, FlagRule::Quality, {}, low, high, flagAtHigh};
}

constexpr FormatOption Switch(std::string_view key, int8_t Settings::Output::*member,
                              int32_t flag) {
    return {key, member, "0", FlagRule::Switch, {}, 0, 0, flag};
}

using O = Settings::Output;

inline constexpr FlagChoice kBmpCompression[] = {{"NONE", 0}, {"RLE", kBmpSaveRle}};
inline constexpr FlagChoice kExrCompression[] = {
    {"NONE", kExrNone}, {"ZIP", kExrZip}, {"PIZ", kExrPiz}, {"PXR24", kExrPxr24}, {"B44", kExrB44}};
inline constexpr FlagChoice kPngCompression[] = {{"NONE", kPngNoCompression},
                                                 {"ZLIB1", kPngBestSpeed},
                                                 {"ZLIB6", kPngDefaultCompression},
                                                 {"ZLIB9", kPngBestCompression}};
inline constexpr FlagChoice kTgaCompression[] = {{"NONE", 0}, {"RLE", kTargaSaveRle}};
inline constexpr FlagChoice kTiffCompression[] = {
    {"NONE", kTiffNone},         {"CCITTFAX3", kTiffCcittFax3}, {"CCITTFAX4", kTiffCcittFax4},
    {"PACKBITS", kTiffPackBits}, {"DEFLATE", kTiffDeflate},     {"ADOBEDEFLATE", kTiffAdobeDeflate},
    {"LZW", kTiffLzw},           {"JPEG", kTiffJpeg},           {"LOGLUV", kTiffLogLuv}};
inline constexpr FlagChoice kJpgChroma[] = {{{}, kJpegSubsampling444},
                                            {{}, kJpegSubsampling422},
                                            {{}, kJpegSubsampling420},
                                            {{}, kJpegSubsampling411}};
inline constexpr FlagChoice kJpgSaveAs[] = {
    {{}, 0}, {{}, kJpegBaseline}, {{}, kJpegOptimize}, {{}, kJpegProgressive}};
// Only CMYK changes what is written; RGB and LAB are written alike.
inline constexpr FlagChoice kTiffColorModel[] = {{{}, 0}, {{}, kTiffCmyk}};

inline constexpr FormatOption kBmpOptions[] = {
    Compression("BMP Compression", &O::bmpCompression, kBmpCompression),
    Plain("BMP Color Table", &O::bmpColorTable),
};
inline constexpr FormatOption kExrOptions[] = {
    Compression("EXR Compression", &O::exrCompression, kExrCompression)};
inline constexpr FormatOption kJpgOptions[] = {
    Quality("JPG Quality", &O::jpgQuality, "95", 0, 100),
    Choice("JPG Chroma", &O::jpgChroma, kJpgChroma),
    Choice("JPG Save As", &O::jpgSaveAs, kJpgSaveAs),
};
inline constexpr FormatOption kPngOptions[] = {
    Compression("PNG Compression", &O::pngCompression, kPngCompression),
    Switch("PNG Interlaced", &O::pngInterlaced, kPngInterlaced),
};
// Alpha and origin are not writer flags: the pipeline keeps the alpha and the TGA writer
// turns the rows round.
inline constexpr FormatOption kTgaOptions[] = {
    Compression("TGA Compression", &O::tgaCompression, kTgaCompression),
    Plain("TGA Alpha", &O::tgaAlpha),
    Plain("TGA Origin", &O::tgaOrigin),
};
inline constexpr FormatOption kTiffOptions[] = {
    Compression("TIFF Compression", &O::tiffCompression, kTiffCompression),
    Choice("TIFF Color Model", &O::tiffColorModel, kTiffColorModel),
};
inline constexpr FormatOption kWebpOptions[] = {
    Quality("WEBP Quality", &O::webpQuality, "100", 1, 100, kWebpLossless)};

// Every format with a depth setting, in config.ini order. The output catalogue holds the rows
// with a format id, in this order; dds, pcx and psd keep a depth setting without a writer.
inline constexpr OutputFormat kRows[] = {
    {"bmp", 0, "Windows or OS/2 Bitmap", "1,4,8,16,24,32", "BMP BPP", &O::bmpBpp, kBmpOptions},
    {"dds", kNoFormatId, {}, {}, "DDS BPP", &O::ddsBpp},
    {"exr", 29, "ILM OpenEXR", "96", "EXR BPP", &O::exrBpp, kExrOptions},
    {"gif", 25, "Graphics Interchange Format", "8", "GIF BPP", &O::gifBpp},
    {"hdr", 26, "High Dynamic Range Image", "96", "HDR BPP", &O::hdrBpp},
    {"ico", 1, "Windows Icon", "1,4,8,16,24,32", "ICO BPP", &O::icoBpp},
    {"j2k", 30, "JPEG-2000 Codestream", "8,24,32,48", "J2K BPP", &O::j2kBpp},
    {"jng", 3, "JPEG Network Graphics", "24,32", "JNG BPP", &O::jngBpp},
    {"jp2", 31, "JPEG-2000 File Format", "8,24,32,48", "JP2 BPP", &O::jp2Bpp},
    {"jpg", 2, "JPEG File Format", "8,24", "JPG BPP", &O::jpgBpp, kJpgOptions},
    {"jxr", 36, "JPEG XR Image Format", "1,8,16,24,32,48,96", "JXR BPP", &O::jxrBpp, {}, kJxrFlags},
    {"pbm", 7, "Portable Bitmap", "1", "PBM BPP", &O::pbmBpp},
    {"pcx", kNoFormatId, {}, {}, "PCX BPP", &O::pcxBpp},
    {"pfm", 32, "Portable Floatmap", "96", "PFM BPP", &O::pfmBpp},
    {"pgm", 11, "Portable Greymap", "8", "PGM BPP", &O::pgmBpp},
    {"png", 13, "Portable Network Graphics", "1,4,8,24,32,48", "PNG BPP", &O::pngBpp, kPngOptions},
    {"ppm", 14, "Portable Pixelmap", "24,48", "PPM BPP", &O::ppmBpp},
    {"psd", kNoFormatId, {}, {}, "PSD BPP", &O::psdBpp},
    {"tga", 17, "Truevision Targa", "8,16,24,32", "TGA BPP", &O::tgaBpp, kTgaOptions},
    {"tiff", 18, "Tagged Image File Format", "1,4,8,24,32,48,96", "TIFF BPP", &O::tiffBpp,
     kTiffOptions},
    {"wbmp", 19, "Wireless Bitmap", "1", "WBMP BPP", &O::wbmpBpp},
    {"webp", 35, "Google WebP Image Format", "24,32", "WEBP BPP", &O::webpBpp, kWebpOptions},
    {"xpm", 23, "X11 Pixmap Format", "24", "XPM BPP", &O::xpmBpp},
};

} // namespace output_rows

inline constexpr const auto& kOutputFormats = output_rows::kRows;

// The row of an output extension (exact, lower-case); nullptr for an extension without one.
constexpr const OutputFormat* FindOutputFormatRow(std::string_view extension) {
    for (const OutputFormat& format : kOutputFormats) {
        if (format.extension == extension) {
            return &format;
        }
    }
    return nullptr;
}

// The compression words of a format with their flags, by stored number; empty when the format
// has no compression setting.
constexpr std::span<const FlagChoice> CompressionChoices(const OutputFormat& format) {
    for (const FormatOption& option : format.options) {
        if (option.rule == FlagRule::Compression) {
            return option.choices;
        }
    }
    return {};
}

// The writer flags of one format from the output settings; a value outside what its setting
// knows contributes nothing.
int32_t SaveFlagsOf(const OutputFormat& format, const Settings::Output& output);

} // namespace millconv
