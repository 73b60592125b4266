// Output colour depth: the automatic choice and the final conversion.
#include "engine/depth.h"

#include "engine/mapped_bitmap.h"
#include "engine/tone_mapping.h"
#include "settings/format_catalogue.h"
#include "settings/output_formats.h"

#include <cstdlib>
#include <string>

namespace millconv {

namespace {

bool UsesRgb555(std::string_view extension) { return extension == "ico" || extension == "tga"; }

bool HasDepth(FIBITMAP* bitmap, int depth, std::string_view extension) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    if (depth == 96) {
        return type == FIT_RGBF;
    }
    if (depth == 48) {
        return type == FIT_RGB16;
    }
    if (type != FIT_BITMAP || FreeImage_GetBPP(bitmap) != static_cast<unsigned>(depth)) {
        return false;
    }
    if (depth == 16) {
        const bool is555 = FreeImage_GetRedMask(bitmap) == FI16_555_RED_MASK &&
                           FreeImage_GetGreenMask(bitmap) == FI16_555_GREEN_MASK;
        return is555 == UsesRgb555(extension);
    }
    return true;
}

} // namespace

int ChooseAutomaticDepth(std::string_view extension, int sourceDepth) {
    const OutputFormat* format = FindWritableFormat(extension);
    const std::string depths = format != nullptr ? std::string(format->depths) : std::string();
    int result = 0;
    size_t start = 0;
    while (true) {
        const size_t comma = depths.find(',', start);
        const std::string field =
            depths.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        result = std::atoi(field.c_str());
        if (result >= sourceDepth || comma == std::string::npos) {
            return result;
        }
        start = comma + 1;
    }
}

Bitmap ApplyColorDepth(Bitmap bitmap, int depth, std::string_view extension) {
    if (!bitmap) {
        return bitmap;
    }
    if (HasDepth(bitmap.get(), depth, extension)) {
        return bitmap;
    }
    // The 8-bit and smaller conversions take only standard bitmaps; 16-bit grey and deep
    // colour become standard first (FreeImage would otherwise fail or write garbage).
    if (depth <= 32 && FreeImage_GetImageType(bitmap.get()) != FIT_BITMAP) {
        bitmap = ApplyToneMapping(std::move(bitmap));
        if (!bitmap || HasDepth(bitmap.get(), depth, extension)) {
            return bitmap;
        }
    }
    FIBITMAP* source = bitmap.get();
    switch (depth) {
    case 96:
        return Bitmap(FreeImage_ConvertToRGBF(source));
    case 48:
        return Bitmap(FreeImage_ConvertToRGB16(source));
    case 32:
        // The same bitmap FreeImage makes; a large one in pixel memory of its own.
        if (FIBITMAP* mapped = ConvertTo32BitsMapped(source)) {
            return Bitmap(mapped);
        }
        return Bitmap(FreeImage_ConvertTo32Bits(source));
    case 24:
        return Bitmap(FreeImage_ConvertTo24Bits(source));
    case 16:
        if (FreeImage_GetBPP(source) > 32) {
            bitmap = ToStandard24(std::move(bitmap));
            if (!bitmap) {
                return bitmap;
            }
        }
        return Bitmap(UsesRgb555(extension) ? FreeImage_ConvertTo16Bits555(bitmap.get())
                                            : FreeImage_ConvertTo16Bits565(bitmap.get()));
    case 8:
        if (extension == "jpg" || extension == "j2k" || extension == "jp2" || extension == "jxr") {
            return Bitmap(FreeImage_ConvertTo8Bits(source));
        }
        bitmap = ToStandard24(std::move(bitmap));
        if (!bitmap) {
            return bitmap;
        }
        return Bitmap(FreeImage_ColorQuantizeEx(bitmap.get(), FIQ_WUQUANT, 256, 0, nullptr));
    case 4:
        return Bitmap(FreeImage_ConvertTo4Bits(source));
    case 1:
        return Bitmap(FreeImage_Dither(source, FID_FS));
    default:
        return Bitmap();
    }
}

} // namespace millconv
