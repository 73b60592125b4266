// Colour steps: brightness/contrast/gamma/invert, greyscale and black-and-white threshold.
#include "engine/color.h"

namespace millconv {

namespace {

Bitmap NarrowDeepTo24(Bitmap bitmap) {
    if (FreeImage_GetBPP(bitmap.get()) > 32) {
        return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    return bitmap;
}

bool KeepsAlpha(FIBITMAP* bitmap) {
    return FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 32 &&
           FreeImage_IsTransparent(bitmap);
}

// A transparent 32-bit image (TGA Alpha keep) keeps its alpha through the grey steps: the
// library's 8-bit or 1-bit result of the step is painted into its colour channels, so the
// greys are exactly the library's.
Bitmap PaintGreys(Bitmap image, const Bitmap& greys) {
    if (!greys || (FreeImage_GetBPP(greys.get()) != 8 && FreeImage_GetBPP(greys.get()) != 1)) {
        return nullptr;
    }
    const RGBQUAD* palette = FreeImage_GetPalette(greys.get());
    const bool oneBit = FreeImage_GetBPP(greys.get()) == 1;
    const unsigned width = FreeImage_GetWidth(image.get());
    const unsigned height = FreeImage_GetHeight(image.get());
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* indices = FreeImage_GetScanLine(greys.get(), static_cast<int>(y));
        BYTE* pixel = FreeImage_GetScanLine(image.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            const unsigned index = oneBit ? (indices[x >> 3] >> (7 - (x & 7))) & 1 : indices[x];
            pixel[FI_RGBA_RED] = palette[index].rgbRed;
            pixel[FI_RGBA_GREEN] = palette[index].rgbGreen;
            pixel[FI_RGBA_BLUE] = palette[index].rgbBlue;
        }
    }
    return image;
}

} // namespace

Bitmap ApplyColorCorrection(Bitmap bitmap, const Settings::Adjustment& adjustment) {
    if (!bitmap || adjustment.doImageColorCorrection == 0) {
        return bitmap;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (bpp < 8 || bpp > 32) {
        bitmap = Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
        if (!bitmap) {
            return bitmap;
        }
    }
    FreeImage_AdjustColors(bitmap.get(), adjustment.imageBrightness, adjustment.imageContrast,
                           adjustment.imageGamma, adjustment.imageInvert != 0 ? TRUE : FALSE);
    return bitmap;
}

Bitmap ApplyGreyscale(Bitmap bitmap, const Settings::Adjustment& adjustment) {
    if (!bitmap || adjustment.doImageGreyscale == 0) {
        return bitmap;
    }
    if (KeepsAlpha(bitmap.get())) {
        const Bitmap greys(FreeImage_ConvertToGreyscale(bitmap.get()));
        return PaintGreys(std::move(bitmap), greys);
    }
    bitmap = NarrowDeepTo24(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    return Bitmap(FreeImage_ConvertToGreyscale(bitmap.get()));
}

Bitmap ApplyThreshold(Bitmap bitmap, const Settings::Adjustment& adjustment) {
    if (!bitmap || adjustment.doImageThreshold == 0) {
        return bitmap;
    }
    const auto threshold = static_cast<BYTE>(adjustment.imageThreshold);
    if (KeepsAlpha(bitmap.get())) {
        const Bitmap blackAndWhite(FreeImage_Threshold(bitmap.get(), threshold));
        return PaintGreys(std::move(bitmap), blackAndWhite);
    }
    bitmap = NarrowDeepTo24(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    return Bitmap(FreeImage_Threshold(bitmap.get(), threshold));
}

} // namespace millconv
