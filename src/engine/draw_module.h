// Loads the drawing module on first use and moves pixels between it and FreeImage.
#pragma once

#include "engine/bitmap.h"
#include "engine/drawing.h"

#include <memory>
#include <string>

namespace millconv {

// File name of the drawing module.
inline constexpr const char* kDrawModuleFile = "millconv-draw.so";

// The process's drawing layer, loading the module on first use; nullptr when the module is
// missing or does not start. The first failure prints one line on stderr, later calls fail
// quietly. Safe to call from any thread; the layer lives until the process ends.
Drawing* GetDrawing();

// Loads the module from this file instead of looking beside the program (test programs live
// in another folder). Takes effect only before the first GetDrawing.
void SetDrawModulePath(const std::string& path);

// A 32-bit FreeImage bitmap with the image's pixels and alpha; empty when it cannot be made.
Bitmap BitmapFromDrawImage(const DrawImage& image);

// A drawing image with a bitmap's pixels, keeping its alpha or made opaque; nullptr when the
// bitmap cannot be converted.
std::unique_ptr<DrawImage> DrawImageFromBitmap(Drawing& drawing, FIBITMAP* bitmap, bool keepAlpha);

} // namespace millconv
