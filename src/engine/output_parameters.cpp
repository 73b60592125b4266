// Output format id, requested depth and writer flags of a run.
#include "engine/output_parameters.h"

#include "engine/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"

#include <FreeImage.h>

#include <array>
#include <utility>

namespace millconv {

namespace {

// A setting value mapped through a table of flags; unknown values give 0.
template <size_t N> int32_t FlagOf(int32_t value, const std::array<int32_t, N>& flags) {
    if (value < 0 || static_cast<size_t>(value) >= N) {
        return 0;
    }
    return flags[static_cast<size_t>(value)];
}

} // namespace

const int32_t* DepthSettingFor(std::string_view extension) {
    const auto& output = gSettings.output;
    const std::array<std::pair<std::string_view, const int32_t*>, 23> depths{{
        {"bmp", &output.bmpBpp},   {"dds", &output.ddsBpp},   {"exr", &output.exrBpp},
        {"gif", &output.gifBpp},   {"hdr", &output.hdrBpp},   {"ico", &output.icoBpp},
        {"j2k", &output.j2kBpp},   {"jng", &output.jngBpp},   {"jp2", &output.jp2Bpp},
        {"jpg", &output.jpgBpp},   {"jxr", &output.jxrBpp},   {"pbm", &output.pbmBpp},
        {"pcx", &output.pcxBpp},   {"pfm", &output.pfmBpp},   {"pgm", &output.pgmBpp},
        {"png", &output.pngBpp},   {"ppm", &output.ppmBpp},   {"psd", &output.psdBpp},
        {"tga", &output.tgaBpp},   {"tiff", &output.tiffBpp}, {"wbmp", &output.wbmpBpp},
        {"webp", &output.webpBpp}, {"xpm", &output.xpmBpp},
    }};
    for (const auto& [key, field] : depths) {
        if (key == extension) {
            return field;
        }
    }
    return nullptr;
}

int32_t SaveFlagsForFormat(std::string_view extension) {
    const auto& output = gSettings.output;
    if (extension == "tga") {
        return FlagOf(output.tgaCompression, std::array<int32_t, 2>{0, TARGA_SAVE_RLE});
    }
    if (extension == "bmp") {
        return FlagOf(output.bmpCompression, std::array<int32_t, 2>{0, BMP_SAVE_RLE});
    }
    if (extension == "exr") {
        return FlagOf(output.exrCompression,
                      std::array<int32_t, 5>{EXR_NONE, EXR_ZIP, EXR_PIZ, EXR_PXR24, EXR_B44});
    }
    if (extension == "jpg") {
        const int32_t quality =
            output.jpgQuality >= 0 && output.jpgQuality <= 100 ? output.jpgQuality : 0;
        const int32_t chroma = FlagOf(
            output.jpgChroma, std::array<int32_t, 4>{JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422,
                                                     JPEG_SUBSAMPLING_420, JPEG_SUBSAMPLING_411});
        const int32_t saveAs =
            FlagOf(output.jpgSaveAs,
                   std::array<int32_t, 4>{0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE});
        return quality | chroma | saveAs;
    }
    if (extension == "png") {
        const int32_t compression =
            FlagOf(output.pngCompression,
                   std::array<int32_t, 4>{PNG_Z_NO_COMPRESSION, PNG_Z_BEST_SPEED,
                                          PNG_Z_DEFAULT_COMPRESSION, PNG_Z_BEST_COMPRESSION});
        return compression | (output.pngInterlaced != 0 ? PNG_INTERLACED : 0);
    }
    if (extension == "tiff") {
        const int32_t compression =
            FlagOf(output.tiffCompression,
                   std::array<int32_t, 9>{TIFF_NONE, TIFF_CCITTFAX3, TIFF_CCITTFAX4, TIFF_PACKBITS,
                                          TIFF_DEFLATE, TIFF_ADOBE_DEFLATE, TIFF_LZW, TIFF_JPEG,
                                          TIFF_LOGLUV});
        return compression | (output.tiffColorModel == 1 ? TIFF_CMYK : 0);
    }
    if (extension == "webp") {
        if (output.webpQuality == 100) {
            return WEBP_LOSSLESS;
        }
        return output.webpQuality >= 1 && output.webpQuality < 100 ? output.webpQuality : 0;
    }
    if (extension == "jxr") {
        return 100;
    }
    return 0;
}

void PrepareOutputParameters() {
    const FormatEntry* entry = FindOutputFormat(gJob.conversion);
    gJob.outputFormatId = entry != nullptr ? entry->formatId : FIF_UNKNOWN;
    if (const int32_t* depth = DepthSettingFor(gJob.conversion)) {
        gJob.requestedDepth = *depth;
        gJob.saveFlags = SaveFlagsForFormat(gJob.conversion);
    }
    gJob.automaticDepth = gJob.requestedDepth == 0;
}

} // namespace millconv
