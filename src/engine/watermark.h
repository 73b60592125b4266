// Text or picture watermark stamped at one of nine anchors.
#pragma once

#include "engine/bitmap.h"

#include <string>
#include <string_view>
#include <vector>

namespace millconv {

// Stamps the watermark of the settings record when [Watermark] Do Watermark is 1 or 2;
// otherwise returns the bitmap unchanged. A watermark that cannot be drawn leaves the image
// unmarked (but 24-bit); without the drawing module the result is empty, so the file fails.
Bitmap ApplyWatermark(Bitmap bitmap);

// Loads the watermark font named by the settings (Font, Font Size, Font Style, Font Effect)
// for the coming run; false when it cannot be loaded. The font is kept until
// FreeWatermarkFont. Call from the run's starter, never while a run is active.
bool LoadWatermarkFont();
void FreeWatermarkFont();
bool WatermarkFontLoaded();

enum class WatermarkImageCheck {
    Valid,
    EmptyPath, // no picture named
    Unusable,  // missing, empty or not a picture the loader reads
};

// Checks the picture named by [Watermark] Image before a run.
WatermarkImageCheck CheckWatermarkImage();

// The watermark text of the settings with the naming placeholders of the current file
// expanded (only when it holds at least two '%').
std::string ExpandWatermarkText();

// The lines of a watermark text: split at every "%eol%" written in any case.
std::vector<std::string> SplitWatermarkLines(std::string_view text);

} // namespace millconv
