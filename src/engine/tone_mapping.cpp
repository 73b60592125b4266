// Tone mapping of deep and non-standard bitmaps to standard ones.
#include "engine/tone_mapping.h"

#include <algorithm>

namespace millconv {

namespace {

// The tone-mapping operator drops alpha; put the source's alpha back on the 8-bit result.
Bitmap AttachAlpha(Bitmap toneMapped, FIBITMAP* source) {
    Bitmap result(FreeImage_ConvertTo32Bits(toneMapped.get()));
    if (!result) {
        return result;
    }
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(source);
    const unsigned width = FreeImage_GetWidth(source);
    const unsigned height = FreeImage_GetHeight(source);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* target = FreeImage_GetScanLine(result.get(), static_cast<int>(y));
        const BYTE* line = FreeImage_GetScanLine(source, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) {
            BYTE alpha = 255;
            if (type == FIT_RGBAF) {
                const float value = reinterpret_cast<const FIRGBAF*>(line)[x].alpha;
                alpha = static_cast<BYTE>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
            }
            target[x * 4 + FI_RGBA_ALPHA] = alpha;
        }
    }
    return result;
}

} // namespace

Bitmap ApplyToneMapping(Bitmap bitmap) {
    if (!bitmap) {
        return bitmap;
    }
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap.get());
    if (type == FIT_BITMAP) {
        return bitmap;
    }
    if (type == FIT_UINT16) {
        // 16-bit grey keeps its high byte as 8-bit grey.
        return Bitmap(FreeImage_ConvertTo8Bits(bitmap.get()));
    }
    // 16 bits per channel are an ordinary picture at a finer step, not a high dynamic range:
    // the high bytes are its colours. An operator would shift flat areas and ramps alike.
    if (type == FIT_RGB16) {
        return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    if (type == FIT_RGBA16) {
        return Bitmap(FreeImage_ConvertTo32Bits(bitmap.get()));
    }
    if (FreeImage_GetBPP(bitmap.get()) > 32) {
        Bitmap toneMapped(FreeImage_TmoDrago03(bitmap.get(), 1.0, 0.0));
        if (toneMapped && type == FIT_RGBAF) {
            return AttachAlpha(std::move(toneMapped), bitmap.get());
        }
        return toneMapped;
    }
    return Bitmap(FreeImage_ConvertToStandardType(bitmap.get(), TRUE));
}

} // namespace millconv
