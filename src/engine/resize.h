// Resize step: target sizes, filter choice and the rescale itself.
#pragma once

#include "engine/bitmap.h"
#include "settings/settings.h"

#include <FreeImage.h>

#include <cstdint>

namespace millconv {

// A target side: unit 0 pixels (value as is), unit 1 percent of current (rounded to the
// nearest integer, halves away from zero), any other unit 0.
int32_t ResizeTarget(int32_t value, int32_t unit, int32_t current);

// The FreeImage filter of an Image Resize Algorithm value; bicubic for unknown values.
FREE_IMAGE_FILTER ResizeFilter(int32_t algorithm);

// Rescales a width x height bitmap to the targets of the transform settings when resizing is
// on; see those settings for aspect ratio and the large-images-only mode. Returns
// the bitmap untouched when no resize applies, empty when the rescale fails.
Bitmap ApplyResize(Bitmap bitmap, int32_t width, int32_t height,
                   const Settings::Transform& transform);

} // namespace millconv
