// Rotation step.
#include "engine/rotate.h"

#include "engine/hex_color.h"
#include "engine/size_limits.h"
#include "engine/tone_mapping.h"

#include <cmath>

namespace millconv {

namespace {

// Rotation works on 24/32-bit bitmaps. Deep images with alpha and transparent palettes
// keep their alpha (32 bits) so the transparency step still flattens them; 16-bit grey,
// which FreeImage cannot widen directly, goes through 8-bit grey.
Bitmap WidenForRotation(Bitmap bitmap) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap.get());
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (type == FIT_BITMAP && (bpp == 24 || bpp == 32)) {
        return bitmap;
    }
    // Transparent palettes too: at 24 bits their hidden colours would show instead of white.
    if (type == FIT_RGBA16 || type == FIT_RGBAF ||
        (type == FIT_BITMAP && FreeImage_IsTransparent(bitmap.get()))) {
        return Bitmap(FreeImage_ConvertTo32Bits(bitmap.get()));
    }
    if (type == FIT_UINT16) {
        bitmap = Bitmap(FreeImage_ConvertTo8Bits(bitmap.get()));
        if (!bitmap) {
            return bitmap;
        }
    } else if (type != FIT_BITMAP && type != FIT_RGB16) {
        bitmap = ApplyToneMapping(std::move(bitmap));
        if (!bitmap) {
            return bitmap;
        }
        if (FreeImage_GetBPP(bitmap.get()) == 32) {
            return bitmap;
        }
    }
    return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
}

} // namespace

Bitmap ApplyRotation(Bitmap bitmap, const Settings::Transform& transform) {
    if (!bitmap || transform.doImageRotation == 0 || transform.imageRotation <= 0 ||
        transform.imageRotation >= 360) {
        return bitmap;
    }
    const unsigned width = FreeImage_GetWidth(bitmap.get());
    const unsigned height = FreeImage_GetHeight(bitmap.get());
    bitmap = WidenForRotation(std::move(bitmap));
    if (!bitmap) {
        return bitmap;
    }
    const double angle = transform.imageRotation;
    if (transform.imageRotationType == 0) {
        // The turned image grows to hold the corners; refused before that memory is taken.
        const double radians = angle * M_PI / 180.0;
        const double c = std::fabs(std::cos(radians));
        const double s = std::fabs(std::sin(radians));
        if (!WithinSizeLimits(uint64_t(std::llround(width * c + height * s)),
                              uint64_t(std::llround(width * s + height * c)), "rotated image")) {
            return {};
        }
        const RgbColor color = ParseHexColor(transform.imageRotationBackColor);
        RGBQUAD back{};
        back.rgbRed = color.red;
        back.rgbGreen = color.green;
        back.rgbBlue = color.blue;
        // Opaque on 32-bit bitmaps: with alpha 0 the corners would count as transparent
        // and be flattened to white, losing the back colour.
        back.rgbReserved = FreeImage_GetBPP(bitmap.get()) == 32 ? 255 : 0;
        return Bitmap(FreeImage_Rotate(bitmap.get(), angle, &back));
    }
    if (transform.imageRotationType == 1) {
        return Bitmap(
            FreeImage_RotateEx(bitmap.get(), angle, 0.0, 0.0, width / 2.0, height / 2.0, FALSE));
    }
    return bitmap;
}

} // namespace millconv
