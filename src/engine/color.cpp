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
    bitmap = NarrowDeepTo24(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    return Bitmap(
        FreeImage_Threshold(bitmap.get(), static_cast<BYTE>(adjustment.imageThreshold)));
}

} // namespace millconv
