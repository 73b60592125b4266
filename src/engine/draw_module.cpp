// Loads the drawing module on first use and moves pixels between it and FreeImage.
#include "engine/draw_module.h"

#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "engine/alpha.h"
#include "engine/report.h"
#include "platform/module_loader.h"

namespace millconv {

namespace {

// The layer and the helper thread that may use it, in one object so that the thread is
// joined before the layer goes at process exit (the module itself stays loaded).
struct DrawingState {
    std::mutex mutex;
    std::string modulePathOverride;
    bool loadTried = false;
    std::unique_ptr<Drawing> drawing;
    // Workers of a batch run wait for the warm-up side by side; joining one thread from two
    // at once would leave one of them waiting for ever.
    std::mutex warmUpMutex;
    std::thread warmUp;

    void JoinWarmUp() {
        std::lock_guard<std::mutex> lock(warmUpMutex);
        if (warmUp.joinable()) {
            warmUp.join();
        }
    }
    ~DrawingState() { JoinWarmUp(); }
};
DrawingState gState;

// Lazy binding: the drawing libraries bring thousands of symbols of which a run uses few, and
// resolving them all up front is a measurable part of a framed conversion. The test suite
// opens the module with RTLD_NOW, so an unresolved symbol still fails there.
void* OpenModule(std::string& error) {
    if (!gState.modulePathOverride.empty()) {
        return LoadModuleFrom(gState.modulePathOverride, error, SymbolBinding::Lazy);
    }
    return LoadModule(kDrawModuleFile, error, SymbolBinding::Lazy);
}

// FreeImage keeps 32-bit pixels as B, G, R, A bytes on little-endian machines and R, G, B, A
// on big-endian ones.
constexpr ByteOrder kFreeImageOrder = FI_RGBA_RED == 0 ? ByteOrder::Rgba : ByteOrder::Bgra;

} // namespace

Drawing* GetDrawing() {
    std::lock_guard<std::mutex> lock(gState.mutex);
    if (gState.loadTried) {
        return gState.drawing.get();
    }
    gState.loadTried = true;
    std::string error;
    void* module = OpenModule(error);
    if (module != nullptr) {
        auto create =
            reinterpret_cast<CreateDrawingFunction>(ModuleSymbol(module, kCreateDrawingSymbol));
        if (create == nullptr) {
            error = MissingEntryMessage(kDrawModuleFile, kCreateDrawingSymbol);
        } else {
            gState.drawing.reset(create());
            if (!gState.drawing) {
                error = "millconv: the drawing module did not start";
            }
        }
    }
    if (!gState.drawing) {
        Report(ReportKind::Problem, error);
    }
    return gState.drawing.get();
}

void PreloadDrawing() {
    std::lock_guard<std::mutex> lock(gState.mutex);
    if (gState.loadTried || !gState.modulePathOverride.empty()) {
        return;
    }
    std::string unreported;
    LoadModule(kDrawModuleFile, unreported, SymbolBinding::Lazy); // kept loaded once opened
}

void SetDrawModulePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(gState.mutex);
    gState.modulePathOverride = path;
}

void WarmUpTextInBackground(std::shared_ptr<const DrawFont> font, std::string sample,
                            bool antialiased, std::mutex& textLock) {
    Drawing* drawing = GetDrawing();
    WaitForTextWarmUp();
    if (drawing == nullptr || !font) {
        return;
    }
    // A thread that cannot start only costs the time it would have saved.
    try {
        std::lock_guard<std::mutex> lock(gState.warmUpMutex);
        gState.warmUp = std::thread(
            [drawing, font = std::move(font), sample = std::move(sample), antialiased, &textLock] {
                std::lock_guard<std::mutex> text(textLock);
                drawing->WarmUpText(*font, sample, antialiased);
            });
    } catch (const std::system_error&) {
    }
}

void WaitForTextWarmUp() { gState.JoinWarmUp(); }

Bitmap BitmapFromDrawImage(const DrawImage& image) {
    return BitmapFromDrawImage(image, {0, 0, image.Width(), image.Height()});
}

Bitmap BitmapFromDrawImage(const DrawImage& image, PixelRect area) {
    if (area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0 ||
        int64_t(area.x) + area.width > image.Width() ||
        int64_t(area.y) + area.height > image.Height()) {
        return {};
    }
    Bitmap bitmap(FreeImage_Allocate(area.width, area.height, 32, FI_RGBA_RED_MASK,
                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    if (!bitmap) {
        return {};
    }
    // FreeImage stores the bottom row first: start at the top row and walk down in memory.
    const std::ptrdiff_t pitch = FreeImage_GetPitch(bitmap.get());
    image.CopyRgba(area, FreeImage_GetScanLine(bitmap.get(), area.height - 1), -pitch,
                   kFreeImageOrder);
    return bitmap;
}

bool CompositeOnto(FIBITMAP* image, FIBITMAP* overlay, int64_t x, int64_t y) {
    const int64_t width = FreeImage_GetWidth(overlay);
    const int64_t height = FreeImage_GetHeight(overlay);
    if (x < 0 || y < 0 || width == 0 || height == 0 || x + width > FreeImage_GetWidth(image) ||
        y + height > FreeImage_GetHeight(image)) {
        return false;
    }
    // An image that keeps its transparency needs the overlay's alpha merged into its own;
    // the library's compositor would drop both.
    if (FreeImage_GetBPP(image) == 32) {
        return CompositeOver(image, overlay, x, y);
    }
    // Outside the overlay the canvas would be fully transparent, and compositing transparent
    // pixels gives back the image's own, so only the covered area needs the work.
    Bitmap under(FreeImage_Copy(image, int(x), int(y), int(x + width), int(y + height)));
    if (!under) {
        return false;
    }
    Bitmap blended(FreeImage_Composite(overlay, FALSE, nullptr, under.get()));
    return blended && FreeImage_Paste(image, blended.get(), int(x), int(y), 256);
}

std::unique_ptr<DrawImage> DrawImageFromBitmap(Drawing& drawing, FIBITMAP* bitmap, bool keepAlpha) {
    if (bitmap == nullptr) {
        return nullptr;
    }
    Bitmap rgba(FreeImage_ConvertTo32Bits(bitmap));
    if (!rgba) {
        return nullptr;
    }
    if (!keepAlpha) {
        // 32-bit files without transparency may hold anything in their fourth byte.
        const unsigned width = FreeImage_GetWidth(rgba.get());
        for (unsigned y = 0; y < FreeImage_GetHeight(rgba.get()); ++y) {
            BYTE* pixel = FreeImage_GetScanLine(rgba.get(), int(y));
            for (unsigned x = 0; x < width; ++x) {
                pixel[4 * x + 3] = 255;
            }
        }
    }
    const int32_t height = int32_t(FreeImage_GetHeight(rgba.get()));
    const std::ptrdiff_t pitch = FreeImage_GetPitch(rgba.get());
    return drawing.ImageFromRgba(int32_t(FreeImage_GetWidth(rgba.get())), height,
                                 FreeImage_GetScanLine(rgba.get(), height - 1), -pitch,
                                 kFreeImageOrder);
}

} // namespace millconv
