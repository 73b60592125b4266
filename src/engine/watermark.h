// Text or picture watermark stamped at one of nine anchors.
#pragma once

#include "engine/bitmap.h"

namespace millconv {

// Stamps the watermark of the settings record when [Watermark] Do Watermark is 1 or 2;
// otherwise returns the bitmap unchanged.
Bitmap ApplyWatermark(Bitmap bitmap);

// Loads the watermark font named by the settings for the coming run; false when it cannot
// be loaded. The font is kept until FreeWatermarkFont.
bool LoadWatermarkFont();
void FreeWatermarkFont();

} // namespace millconv
