// Watermark step (drawing comes with the drawing module).
#include "engine/watermark.h"

namespace millconv {

Bitmap ApplyWatermark(Bitmap bitmap) { return bitmap; }

bool LoadWatermarkFont() { return true; }

void FreeWatermarkFont() {}

} // namespace millconv
