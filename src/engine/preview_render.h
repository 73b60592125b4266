// A conversion in memory: the picture Convert would write for one input, never saved.
#pragma once

#include "engine/run.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

// Un-premultiplied 8-bit RGBA pixels, top row first: what a window needs to show a bitmap
// without knowing FreeImage.
struct RgbaPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // width * height * 4 bytes
};

enum class PreviewFailure {
    None,
    Cancelled,  // a newer request took over; the result means nothing
    Unreadable, // the input does not load (missing, not a PNG, over the size limits)
    Steps,      // a step gave no picture (a watermark that cannot be drawn, a refused depth)
};

struct PreviewRender {
    PreviewFailure failure = PreviewFailure::None;
    std::vector<std::string> problems; // the engine's reasons, oldest first
    RgbaPicture before;                // the input as loaded
    RgbaPicture after;                 // the bitmap the save would be given
    int32_t outputDepth = 0;           // its bits per pixel
    bool transparent = false;          // the written file would carry transparency
    uint64_t estimatedBytes = 0;       // the file's size encoded in memory; 0 when refused
};

// The output parameters Convert would use for the extension with the given output settings.
OutputParameters PreviewOutputParameters(std::string_view extension,
                                         const Settings::Output& settings);

// Runs the image steps of ConvertFile on file.currentInput with run's settings and output
// parameters and stops where the save would begin: no name is built, nothing is written. The
// encoded size is measured in memory. cancel is read between steps; once set, the render ends
// with PreviewFailure::Cancelled. Safe on any thread; the watermark font is the run's, loaded
// by the starter.
PreviewRender RenderPreview(const RunSnapshot& run, FileContext file,
                            const std::atomic<bool>& cancel);

} // namespace millconv
