// The preview's information line about the file Convert would write.
#pragma once

#include "engine/preview_render.h"
#include "engine/run.h"

#include <QString>

#include <cstdint>

namespace millconv::ui {

// A byte count as a person reads it: "512 bytes", "14.2 kB", "1.9 MB" (powers of 1000).
QString ReadableSize(uint64_t bytes);

// "1024 × 768, 24-bit, RLE, bottom-left — about 1.9 MB": size, depth, then for TGA the
// compression and the origin (other formats name themselves), "transparent" when the file
// keeps transparency, and the estimated size when the writer took the picture.
QString OutputInfoLine(const PreviewRender& render, int width, int height,
                       const OutputParameters& output);

} // namespace millconv::ui
