// Output format id, requested depth and writer flags of a run.
#include "engine/output_parameters.h"

#include "settings/format_catalogue.h"
#include "settings/output_formats.h"
#include "settings/settings.h"

#include <FreeImage.h>

namespace millconv {

namespace {

// The output rows spell out the library's values; they must be the library's own.
static_assert(kNoFormatId == FIF_UNKNOWN);
static_assert(kBmpSaveRle == BMP_SAVE_RLE && kTargaSaveRle == TARGA_SAVE_RLE);
static_assert(kExrNone == EXR_NONE && kExrZip == EXR_ZIP && kExrPiz == EXR_PIZ &&
              kExrPxr24 == EXR_PXR24 && kExrB44 == EXR_B44);
static_assert(kJpegSubsampling444 == JPEG_SUBSAMPLING_444 &&
              kJpegSubsampling422 == JPEG_SUBSAMPLING_422 &&
              kJpegSubsampling420 == JPEG_SUBSAMPLING_420 &&
              kJpegSubsampling411 == JPEG_SUBSAMPLING_411);
static_assert(kJpegBaseline == JPEG_BASELINE && kJpegOptimize == JPEG_OPTIMIZE &&
              kJpegProgressive == JPEG_PROGRESSIVE);
static_assert(kPngNoCompression == PNG_Z_NO_COMPRESSION && kPngBestSpeed == PNG_Z_BEST_SPEED &&
              kPngDefaultCompression == PNG_Z_DEFAULT_COMPRESSION &&
              kPngBestCompression == PNG_Z_BEST_COMPRESSION && kPngInterlaced == PNG_INTERLACED);
static_assert(kTiffNone == TIFF_NONE && kTiffCcittFax3 == TIFF_CCITTFAX3 &&
              kTiffCcittFax4 == TIFF_CCITTFAX4 && kTiffPackBits == TIFF_PACKBITS &&
              kTiffDeflate == TIFF_DEFLATE && kTiffAdobeDeflate == TIFF_ADOBE_DEFLATE &&
              kTiffLzw == TIFF_LZW && kTiffJpeg == TIFF_JPEG && kTiffLogLuv == TIFF_LOGLUV &&
              kTiffCmyk == TIFF_CMYK);
static_assert(kWebpLossless == WEBP_LOSSLESS);

constexpr int32_t FormatIdOf(std::string_view extension) {
    return FindOutputFormatRow(extension)->formatId;
}
static_assert(FormatIdOf("bmp") == FIF_BMP && FormatIdOf("exr") == FIF_EXR &&
              FormatIdOf("gif") == FIF_GIF && FormatIdOf("hdr") == FIF_HDR &&
              FormatIdOf("ico") == FIF_ICO && FormatIdOf("j2k") == FIF_J2K &&
              FormatIdOf("jng") == FIF_JNG && FormatIdOf("jp2") == FIF_JP2 &&
              FormatIdOf("jpg") == FIF_JPEG && FormatIdOf("jxr") == FIF_JXR &&
              FormatIdOf("pbm") == FIF_PBM && FormatIdOf("pfm") == FIF_PFM &&
              FormatIdOf("pgm") == FIF_PGM && FormatIdOf("png") == FIF_PNG &&
              FormatIdOf("ppm") == FIF_PPM && FormatIdOf("tga") == FIF_TARGA &&
              FormatIdOf("tiff") == FIF_TIFF && FormatIdOf("wbmp") == FIF_WBMP &&
              FormatIdOf("webp") == FIF_WEBP && FormatIdOf("xpm") == FIF_XPM);

} // namespace

const int32_t* DepthSettingFor(std::string_view extension, const Settings::Output& settings) {
    const OutputFormat* format = FindOutputFormatRow(extension);
    return format != nullptr ? &(settings.*format->depth) : nullptr;
}

int32_t SaveFlagsForFormat(std::string_view extension, const Settings::Output& settings) {
    const OutputFormat* format = FindOutputFormatRow(extension);
    return format != nullptr ? SaveFlagsOf(*format, settings) : 0;
}

void ApplyTextureOptions(OutputParameters& output, const Settings::Output& settings) {
    const bool tga = output.formatId == FIF_TARGA;
    output.keepAlpha = tga && settings.tgaAlpha == 1;
    output.topLeft = tga && settings.tgaOrigin == 1;
}

void PrepareOutputParameters(OutputParameters& output, const Settings::Output& settings) {
    const OutputFormat* format = FindWritableFormat(output.conversion);
    output.formatId = format != nullptr ? format->formatId : FIF_UNKNOWN;
    if (const int32_t* depth = DepthSettingFor(output.conversion, settings)) {
        output.requestedDepth = *depth;
        output.saveFlags = SaveFlagsForFormat(output.conversion, settings);
    }
    output.automaticDepth = output.requestedDepth == 0;
    ApplyTextureOptions(output, settings);
}

} // namespace millconv
