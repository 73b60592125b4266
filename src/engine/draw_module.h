// Loads the drawing module on first use and moves pixels between it and FreeImage.
#pragma once

#include "engine/bitmap.h"
#include "engine/drawing.h"

#include <memory>
#include <mutex>
#include <string>

namespace millconv {

// File name of the drawing module.
inline constexpr const char* kDrawModuleFile = "millconv-draw.so";

// The process's drawing layer, loading the module on first use; nullptr when the module is
// missing or does not start. The first failure is reported as one problem line, later calls
// fail quietly. Safe to call from any thread; the layer lives until the process ends.
Drawing* GetDrawing();

// Loads the module from this file instead of looking beside the program (test programs live
// in another folder). Takes effect only before the first GetDrawing.
void SetDrawModulePath(const std::string& path);

// Loads the drawing module's libraries ahead of the first GetDrawing, and silently: any problem
// is reported by GetDrawing, where it always was. A framed run does this while its file is
// decoded on the other processor.
void PreloadDrawing();

// Lays out a sample with the font on a helper thread, so that the font files and the text
// machinery are loaded while the run decodes its input. Text drawing calls WaitForTextWarmUp
// first; the helper shares the font, so the font lives until the warm-up ends. Call from the
// thread that starts runs. The helper holds textLock while it lays out, so text drawn on another
// thread (a preview still at work) never meets it inside the text machinery.
void WarmUpTextInBackground(std::shared_ptr<const DrawFont> font, std::string sample,
                            bool antialiased, std::mutex& textLock);
void WaitForTextWarmUp();

// A 32-bit FreeImage bitmap with the pixels and alpha of the image (or of an area inside it);
// empty when it cannot be made.
Bitmap BitmapFromDrawImage(const DrawImage& image);
Bitmap BitmapFromDrawImage(const DrawImage& image, PixelRect area);

// Lays a 32-bit overlay with alpha over the image with its top-left corner at (x, y), in
// place, by FreeImage_Composite of just the area it covers: the pixels are those of
// compositing an image-sized transparent canvas holding the overlay, while the image keeps its
// resolution and metadata. False, and the image unchanged, when the overlay does not lie
// wholly inside the image (where FreeImage_Paste would refuse it) or a step fails.
bool CompositeOnto(FIBITMAP* image, FIBITMAP* overlay, int64_t x, int64_t y);

// A drawing image with a bitmap's pixels, keeping its alpha or made opaque; nullptr when the
// bitmap cannot be converted.
std::unique_ptr<DrawImage> DrawImageFromBitmap(Drawing& drawing, FIBITMAP* bitmap, bool keepAlpha);

} // namespace millconv
