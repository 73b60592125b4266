// Kept transparency: images that stay 32-bit with alpha, and marks laid "over" them.
#include "engine/alpha.h"

namespace millconv {

namespace {

bool IsAlphaBitmap(FIBITMAP* bitmap) {
    return FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 32;
}

} // namespace

Bitmap KeepTransparency(Bitmap bitmap) {
    if (!bitmap || !FreeImage_IsTransparent(bitmap.get()) || IsAlphaBitmap(bitmap.get())) {
        return bitmap;
    }
    return Bitmap(FreeImage_ConvertTo32Bits(bitmap.get()));
}

Bitmap ToCompositingBase(Bitmap bitmap) {
    if (bitmap && IsAlphaBitmap(bitmap.get()) && FreeImage_IsTransparent(bitmap.get())) {
        return bitmap;
    }
    return ToStandard24(std::move(bitmap));
}

bool CompositeOver(FIBITMAP* image, FIBITMAP* overlay, int64_t x, int64_t y) {
    if (image == nullptr || overlay == nullptr || !IsAlphaBitmap(image) ||
        !IsAlphaBitmap(overlay)) {
        return false;
    }
    const int64_t width = FreeImage_GetWidth(overlay);
    const int64_t height = FreeImage_GetHeight(overlay);
    const int64_t imageHeight = FreeImage_GetHeight(image);
    if (x < 0 || y < 0 || x + width > FreeImage_GetWidth(image) || y + height > imageHeight) {
        return false;
    }
    // Both store their bottom row first; row r from the top is scan line height - 1 - r.
    for (int64_t row = 0; row < height; ++row) {
        const BYTE* top = FreeImage_GetScanLine(overlay, int(height - 1 - row));
        BYTE* under = FreeImage_GetScanLine(image, int(imageHeight - 1 - (y + row))) + 4 * x;
        for (int64_t column = 0; column < width; ++column, top += 4, under += 4) {
            const uint32_t a = top[FI_RGBA_ALPHA];
            if (a == 0) {
                continue;
            }
            const uint32_t b = (under[FI_RGBA_ALPHA] * (255 - a) + 127) / 255;
            const uint32_t out = a + b;
            for (const int channel : {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE}) {
                under[channel] = BYTE((top[channel] * a + under[channel] * b + out / 2) / out);
            }
            under[FI_RGBA_ALPHA] = BYTE(out);
        }
    }
    return true;
}

} // namespace millconv
