// A conversion in memory: the picture Convert would write for one input, never saved.
#include "engine/preview_render.h"

#include "engine/alpha.h"
#include "engine/color.h"
#include "engine/depth.h"
#include "engine/flip.h"
#include "engine/frame.h"
#include "engine/output_parameters.h"
#include "engine/pipeline.h"
#include "engine/png_probe.h"
#include "engine/report.h"
#include "engine/resize.h"
#include "engine/rotate.h"
#include "engine/tone_mapping.h"
#include "engine/watermark.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"

#include <cstring>
#include <memory>

namespace millconv {

namespace {

struct MemoryClose {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

// Deep and high-range pictures are tone-mapped the way the pipeline does it, so Before shows
// what the steps start from.
RgbaPicture ToRgba(FIBITMAP* source) {
    RgbaPicture picture;
    if (source == nullptr) {
        return picture;
    }
    Bitmap rgba = ApplyToneMapping(Bitmap(FreeImage_Clone(source)));
    if (rgba &&
        (FreeImage_GetImageType(rgba.get()) != FIT_BITMAP || FreeImage_GetBPP(rgba.get()) != 32)) {
        rgba = Bitmap(FreeImage_ConvertTo32Bits(rgba.get()));
    }
    if (!rgba) {
        return picture;
    }
    picture.width = static_cast<int32_t>(FreeImage_GetWidth(rgba.get()));
    picture.height = static_cast<int32_t>(FreeImage_GetHeight(rgba.get()));
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height) * 4);
    uint8_t* out = picture.pixels.data();
    // FreeImage keeps the bottom row first and its own channel order.
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        const BYTE* in = FreeImage_GetScanLine(rgba.get(), y);
        for (int32_t x = 0; x < picture.width; ++x, in += 4, out += 4) {
            out[0] = in[FI_RGBA_RED];
            out[1] = in[FI_RGBA_GREEN];
            out[2] = in[FI_RGBA_BLUE];
            out[3] = in[FI_RGBA_ALPHA];
        }
    }
    return picture;
}

// The size the writer produces for the bitmap, encoded in memory; 0 when it refuses it.
uint64_t EncodedSize(FIBITMAP* bitmap, const OutputParameters& output) {
    const auto format = static_cast<FREE_IMAGE_FORMAT>(output.formatId);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(format)) {
        return 0;
    }
    std::unique_ptr<FIMEMORY, MemoryClose> memory(FreeImage_OpenMemory());
    if (!memory || !FreeImage_SaveToMemory(format, bitmap, memory.get(), output.saveFlags)) {
        return 0;
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    return FreeImage_AcquireMemory(memory.get(), &data, &size) ? size : 0;
}

bool WritesTransparency(FIBITMAP* bitmap, const OutputParameters& output) {
    return output.keepAlpha && FreeImage_GetBPP(bitmap) == 32 && FreeImage_IsTransparent(bitmap);
}

} // namespace

OutputParameters PreviewOutputParameters(std::string_view extension,
                                         const Settings::Output& settings) {
    OutputParameters output;
    output.conversion = std::string(extension);
    PrepareOutputParameters(output, settings);
    return output;
}

PreviewRender RenderPreview(const RunSnapshot& run, FileContext file,
                            const std::atomic<bool>& cancel) {
    PreviewRender result;
    ProblemCapture capture;
    // True (and the result marked) once a newer request has taken over.
    const auto cancelled = [&] {
        if (cancel.load(std::memory_order_relaxed)) {
            result.failure = PreviewFailure::Cancelled;
            return true;
        }
        return false;
    };
    const auto fail = [&](PreviewFailure failure) {
        result.failure = failure;
        result.problems = capture.Take();
        return std::move(result);
    };

    Bitmap bitmap(PngFitsLimits(file.currentInput)
                      ? FreeImage_Load(FIF_PNG, file.currentInput.c_str(), PNG_DEFAULT)
                      : nullptr);
    if (!bitmap || FreeImage_GetWidth(bitmap.get()) == 0 ||
        FreeImage_GetHeight(bitmap.get()) == 0) {
        return fail(PreviewFailure::Unreadable);
    }
    file.sourceDepth = static_cast<int32_t>(FreeImage_GetBPP(bitmap.get()));
    file.requestedDepth = run.output.requestedDepth;
    result.before = ToRgba(bitmap.get());
    if (cancelled()) {
        return result;
    }

    // The steps and their order are ConvertFile's.
    const auto width = static_cast<int32_t>(FreeImage_GetWidth(bitmap.get()));
    const auto height = static_cast<int32_t>(FreeImage_GetHeight(bitmap.get()));
    bitmap = ApplyRotation(std::move(bitmap), run.transform);
    bitmap = ApplyResize(std::move(bitmap), width, height, run.transform);
    if (!bitmap || cancelled()) {
        return bitmap ? std::move(result) : fail(PreviewFailure::Steps);
    }
    file.imageWidth = static_cast<int32_t>(FreeImage_GetWidth(bitmap.get()));
    file.imageHeight = static_cast<int32_t>(FreeImage_GetHeight(bitmap.get()));
    if (run.output.automaticDepth) {
        file.requestedDepth = ChooseAutomaticDepth(run.output.conversion, file.sourceDepth);
        if (run.output.keepAlpha && FreeImage_IsTransparent(bitmap.get())) {
            file.requestedDepth = 32;
        }
    }
    bitmap = ApplyToneMapping(std::move(bitmap));
    bitmap = run.output.keepAlpha && file.requestedDepth == 32
                 ? KeepTransparency(std::move(bitmap))
                 : FlattenTransparency(std::move(bitmap));
    bitmap = ApplyFlip(std::move(bitmap), run.transform);
    if (cancelled()) {
        return result;
    }
    bitmap = ApplyColorCorrection(std::move(bitmap), run.adjustment);
    bitmap = ApplyGreyscale(std::move(bitmap), run.adjustment);
    bitmap = ApplyThreshold(std::move(bitmap), run.adjustment);
    if (bitmap) {
        bitmap = ApplyFrame(std::move(bitmap), run.frame);
    }
    if (bitmap && !cancelled()) {
        const std::string text =
            run.watermark.doWatermark == 1
                ? ExpandWatermarkText(run.watermark.text, file, run.output.conversion)
                : std::string();
        bitmap = ApplyWatermark(std::move(bitmap), run.watermark, run.frame, text);
    }
    if (result.failure == PreviewFailure::Cancelled) {
        return result;
    }
    bitmap = ApplyColorDepth(std::move(bitmap), file.requestedDepth, run.output.conversion);
    if (!bitmap) {
        return fail(PreviewFailure::Steps);
    }
    if (cancelled()) {
        return result;
    }

    result.outputDepth = static_cast<int32_t>(FreeImage_GetBPP(bitmap.get()));
    result.transparent = WritesTransparency(bitmap.get(), run.output);
    result.estimatedBytes = EncodedSize(bitmap.get(), run.output);
    result.after = ToRgba(bitmap.get());
    result.problems = capture.Take();
    return result;
}

} // namespace millconv
