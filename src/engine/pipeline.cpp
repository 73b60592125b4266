// The single-file conversion: load, image steps in a fixed order, save.
#include "engine/pipeline.h"

#include "engine/alpha.h"
#include "engine/color.h"
#include "engine/depth.h"
#include "engine/flip.h"
#include "engine/frame.h"
#include "engine/naming.h"
#include "engine/output_guard.h"
#include "engine/png_prefetch.h"
#include "engine/png_reader.h"
#include "engine/resize.h"
#include "engine/rotate.h"
#include "engine/tga_writer.h"
#include "engine/tone_mapping.h"
#include "engine/watermark.h"
#include "platform/files.h"

#include <algorithm>

namespace millconv {

namespace {

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

namespace {

// Loads file.currentInput and takes it through every image step up to the colour depth.
// Empty when the input does not load or a cancel was seen between steps; otherwise the bitmap
// to save, which is empty when a step failed.
std::optional<Bitmap> ProcessImage(const RunSnapshot& run, FileContext& file,
                                   const std::atomic<bool>* cancel) {
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
    Bitmap bitmap = TakePrefetchedPng(file.currentInput);
    if (!bitmap) {
        bitmap = LoadPng(file.currentInput);
    }
    const auto width = [&bitmap] { return bitmap ? FreeImage_GetWidth(bitmap.get()) : 0u; };
    const auto height = [&bitmap] { return bitmap ? FreeImage_GetHeight(bitmap.get()) : 0u; };
    file.sourceDepth = bitmap ? static_cast<int32_t>(FreeImage_GetBPP(bitmap.get())) : 0;
    if (width() == 0 || height() == 0 || cancelled()) {
        return std::nullopt;
    }

    bitmap = ApplyRotation(std::move(bitmap), run.transform);
    bitmap = ApplyResize(std::move(bitmap), static_cast<int32_t>(width()),
                         static_cast<int32_t>(height()), run.transform);

    // Size and depth are fixed here so the watermark text and the file name both see them.
    file.imageWidth = static_cast<int32_t>(width());
    file.imageHeight = static_cast<int32_t>(height());
    if (run.output.automaticDepth) {
        file.requestedDepth = ChooseAutomaticDepth(run.output.conversion, file.sourceDepth);
        if (run.output.keepAlpha && FreeImage_IsTransparent(bitmap.get())) {
            file.requestedDepth = 32;
        }
    }
    if (cancelled()) {
        return std::nullopt;
    }

    bitmap = ApplyToneMapping(std::move(bitmap));
    // Only a 32-bit output can carry the alpha; any other depth flattens as usual.
    bitmap = run.output.keepAlpha && file.requestedDepth == 32
                 ? KeepTransparency(std::move(bitmap))
                 : FlattenTransparency(std::move(bitmap));
    bitmap = ApplyFlip(std::move(bitmap), run.transform);
    bitmap = ApplyColorCorrection(std::move(bitmap), run.adjustment);
    bitmap = ApplyGreyscale(std::move(bitmap), run.adjustment);
    bitmap = ApplyThreshold(std::move(bitmap), run.adjustment);
    if (cancelled()) {
        return std::nullopt;
    }
    if (bitmap) {
        bitmap = ApplyFrame(std::move(bitmap), run.frame);
    }
    if (bitmap && !cancelled()) {
        const std::string text =
            run.watermark.doWatermark == 1
                ? ExpandWatermarkText(run.watermark.text, file, run.output.conversion)
                : std::string();
        bitmap = ApplyWatermark(std::move(bitmap), run.watermark, run.frame, text,
                                run.watermarkPicture.get());
    }
    if (cancelled()) {
        return std::nullopt;
    }
    return ApplyColorDepth(std::move(bitmap), file.requestedDepth, run.output.conversion);
}

} // namespace

bool ConvertFile(const RunSnapshot& run, FileContext& file) {
    std::optional<Bitmap> bitmap = ProcessImage(run, file, nullptr);
    if (!bitmap) {
        return false;
    }
    file.outputPath = BuildOutputPath(run, file);
    if (!OutputNameStaysInside(run, file)) {
        return false;
    }
    // A naming template can name the input itself ("%filename%.png"): replacing the only
    // copy of the picture with the converted one would lose it, so that file fails instead.
    if (!*bitmap || SameFile(file.outputPath, file.currentInput) ||
        !OutputMayBeWritten(run, file)) {
        return false;
    }
    return WriteOutputImage(*bitmap, run.output, file.outputPath);
}

std::optional<ConvertedBitmap> ConvertToBitmap(const RunSnapshot& run, const std::string& input,
                                               FileContext file, const std::atomic<bool>* cancel) {
    file.currentInput = input;
    if (!run.output.automaticDepth) {
        file.requestedDepth = run.output.requestedDepth;
    }
    std::optional<Bitmap> bitmap = ProcessImage(run, file, cancel);
    if (!bitmap) {
        return std::nullopt;
    }
    OutputParameters output = run.output;
    output.requestedDepth = file.requestedDepth;
    return ConvertedBitmap{std::move(*bitmap), std::move(output), std::move(file)};
}

} // namespace millconv
