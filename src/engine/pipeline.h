// The single-file conversion: load, image steps in a fixed order, save.
#pragma once

#include "engine/bitmap.h"
#include "engine/run.h"

#include <atomic>
#include <optional>
#include <string>

namespace millconv {

// Converts file.currentInput into one output file with the run's settings and output
// parameters. Writes the file's source depth, image size, output path and, with automatic
// depth, its requested depth. True when the file was written; an unreadable input or any
// failed step writes nothing.
bool ConvertFile(const RunSnapshot& run, FileContext& file);

// One file converted in memory, up to the bitmap a run would save.
struct ConvertedBitmap {
    Bitmap bitmap;           // empty when a step failed after the load
    OutputParameters output; // the run's, with the depth chosen for this file
    FileContext file;        // the file's source depth, size and depth
};

// Converts `input` through the same steps as ConvertFile, with the run's settings and the
// per-file fields of `file` (for a watermark text's placeholders), and stops before naming and
// saving: nothing is written. Empty when the input does not load or `cancel` was set at one of
// the checks between steps. Safe beside running runs.
std::optional<ConvertedBitmap> ConvertToBitmap(const RunSnapshot& run, const std::string& input,
                                               FileContext file = {},
                                               const std::atomic<bool>* cancel = nullptr);

// Flattens a transparent bitmap onto white; the result has no alpha. An 8-bit palette is
// flattened in its palette and stays 8-bit; opaque bitmaps pass through untouched.
Bitmap FlattenTransparency(Bitmap bitmap);

} // namespace millconv
