// The single-file conversion: load, image steps in a fixed order, save.
#include "engine/pipeline.h"

#include "app/job_state.h"
#include "engine/color.h"
#include "engine/depth.h"
#include "engine/flip.h"
#include "engine/frame.h"
#include "engine/naming.h"
#include "engine/resize.h"
#include "engine/rotate.h"
#include "engine/save.h"
#include "engine/watermark.h"
#include "platform/files.h"

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
            if (type == FIT_RGBA16) {
                alpha = static_cast<BYTE>(reinterpret_cast<const FIRGBA16*>(line)[x].alpha >> 8);
            } else if (type == FIT_RGBAF) {
                const float value = reinterpret_cast<const FIRGBAF*>(line)[x].alpha;
                alpha = static_cast<BYTE>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
            }
            target[x * 4 + FI_RGBA_ALPHA] = alpha;
        }
    }
    return result;
}

// Blends every palette entry with white by its transparency: the same colours the
// compositor would give, but the image stays an exact 8-bit palette instead of needing a
// lossy re-quantisation at the depth step.
Bitmap FlattenPalette(Bitmap bitmap) {
    RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    const BYTE* alphas = FreeImage_GetTransparencyTable(bitmap.get());
    const unsigned count = FreeImage_GetTransparencyCount(bitmap.get());
    const unsigned colors = FreeImage_GetColorsUsed(bitmap.get());
    for (unsigned i = 0; i < colors && i < count; ++i) {
        const unsigned alpha = alphas[i];
        const auto blend = [alpha](BYTE c) {
            return static_cast<BYTE>((c * alpha + 255 * (255 - alpha) + 127) / 255);
        };
        palette[i].rgbRed = blend(palette[i].rgbRed);
        palette[i].rgbGreen = blend(palette[i].rgbGreen);
        palette[i].rgbBlue = blend(palette[i].rgbBlue);
    }
    FreeImage_SetTransparencyTable(bitmap.get(), nullptr, 0);
    FreeImage_SetTransparent(bitmap.get(), FALSE);
    return bitmap;
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
    if (FreeImage_GetBPP(bitmap.get()) > 32) {
        Bitmap toneMapped(FreeImage_TmoDrago03(bitmap.get(), 1.0, 0.0));
        if (toneMapped && (type == FIT_RGBA16 || type == FIT_RGBAF)) {
            return AttachAlpha(std::move(toneMapped), bitmap.get());
        }
        return toneMapped;
    }
    return Bitmap(FreeImage_ConvertToStandardType(bitmap.get(), TRUE));
}

Bitmap FlattenTransparency(Bitmap bitmap) {
    if (!bitmap || !FreeImage_IsTransparent(bitmap.get())) {
        return bitmap;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (bpp == 8 && FreeImage_GetPalette(bitmap.get()) != nullptr &&
        FreeImage_GetTransparencyCount(bitmap.get()) > 0) {
        return FlattenPalette(std::move(bitmap));
    }
    // The compositor takes 8-bit palettes and 32-bit bitmaps only.
    if (FreeImage_GetImageType(bitmap.get()) != FIT_BITMAP || (bpp != 8 && bpp != 32)) {
        bitmap = Bitmap(FreeImage_ConvertTo32Bits(bitmap.get()));
        if (!bitmap) {
            return bitmap;
        }
    }
    RGBQUAD white{};
    white.rgbRed = 255;
    white.rgbGreen = 255;
    white.rgbBlue = 255;
    white.rgbReserved = 0;
    return Bitmap(FreeImage_Composite(bitmap.get(), FALSE, &white, nullptr));
}

bool ConvertFile() {
    Bitmap bitmap(FreeImage_Load(FIF_PNG, gJob.currentInput.c_str(), PNG_DEFAULT));
    const auto width = [&bitmap] { return bitmap ? FreeImage_GetWidth(bitmap.get()) : 0u; };
    const auto height = [&bitmap] { return bitmap ? FreeImage_GetHeight(bitmap.get()) : 0u; };
    gJob.sourceDepth = bitmap ? static_cast<int32_t>(FreeImage_GetBPP(bitmap.get())) : 0;
    if (width() == 0 || height() == 0) {
        return false;
    }

    bitmap = ApplyRotation(std::move(bitmap));
    bitmap = ApplyResize(std::move(bitmap), static_cast<int32_t>(width()),
                         static_cast<int32_t>(height()));

    // Size and depth are fixed here so the watermark text and the file name both see them.
    gJob.imageWidth = static_cast<int32_t>(width());
    gJob.imageHeight = static_cast<int32_t>(height());
    if (gJob.automaticDepth) {
        gJob.requestedDepth = ChooseAutomaticDepth(gJob.conversion, gJob.sourceDepth);
    }

    bitmap = ApplyToneMapping(std::move(bitmap));
    bitmap = FlattenTransparency(std::move(bitmap));
    bitmap = ApplyFlip(std::move(bitmap));
    bitmap = ApplyColorCorrection(std::move(bitmap));
    bitmap = ApplyGreyscale(std::move(bitmap));
    bitmap = ApplyThreshold(std::move(bitmap));
    if (bitmap) {
        bitmap = ApplyFrame(std::move(bitmap));
    }
    if (bitmap) {
        bitmap = ApplyWatermark(std::move(bitmap));
    }
    bitmap = ApplyColorDepth(std::move(bitmap));

    gJob.outputPath = BuildOutputPath();
    // A naming template can name the input itself ("%filename%.png"): replacing the only
    // copy of the picture with the converted one would lose it, so that file fails instead.
    if (!bitmap || SameFile(gJob.outputPath, gJob.currentInput)) {
        return false;
    }
    return SaveBitmapSafely(bitmap.get(), static_cast<FREE_IMAGE_FORMAT>(gJob.outputFormatId),
                            gJob.outputPath, gJob.saveFlags);
}

} // namespace millconv
