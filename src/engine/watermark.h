// Text or picture watermark stamped at one of nine anchors.
#pragma once

#include "engine/bitmap.h"
#include "engine/run.h"
#include "settings/settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace millconv {

class WatermarkPictureCache;

// Stamps the watermark when Do Watermark is 1 (text, already expanded for the file) or 2
// (picture); otherwise returns the bitmap unchanged. The frame settings bound a mark that keeps
// inside the frame. A text without a font or an empty block leaves the image unmarked (but
// 24-bit); a mark that cannot be drawn (a block larger than the drawing layer takes, a picture
// that does not load) is reported and, like a missing drawing module, gives an empty result,
// so the file fails. A picture mark is drawn once per cache and shared by the files of a run;
// without a cache it is drawn for this call alone.
Bitmap ApplyWatermark(Bitmap bitmap, const Settings::Watermark& wm, const Settings::Frame& frame,
                      std::string_view text, WatermarkPictureCache* pictures = nullptr);

// Loads the watermark font the settings name (Font, Font Size, Font Style, Font Effect) for
// the coming run and warms it up for its Text; false when it cannot be loaded. The font is
// kept until FreeWatermarkFont. Call from the run's starter, never while a run is active.
bool LoadWatermarkFont(const Settings::Watermark& wm);
void FreeWatermarkFont();
bool WatermarkFontLoaded();

enum class WatermarkImageCheck {
    Valid,
    EmptyPath, // no picture named
    Unusable,  // missing, empty or not a picture the loader reads
};

// Checks the watermark picture ([Watermark] Image) before a run.
WatermarkImageCheck CheckWatermarkImage(const std::string& path);

// A watermark text with the naming placeholders of the file expanded (only when it holds at
// least two '%').
std::string ExpandWatermarkText(const std::string& watermarkText, const FileContext& file,
                                std::string_view extension);

// The lines of a watermark text: split at every "%eol%" written in any case.
std::vector<std::string> SplitWatermarkLines(std::string_view text);

} // namespace millconv
