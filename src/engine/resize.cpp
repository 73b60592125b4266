// Resize step: target sizes, filter choice and the rescale itself.
#include "engine/resize.h"

#include "engine/size_limits.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace millconv {

int32_t ResizeTarget(int32_t value, int32_t unit, int32_t current) {
    if (unit == 0) {
        return value;
    }
    if (unit == 1) {
        // Exact integer arithmetic: value / 100.0 in floating point is not exact, so a true
        // half such as 29 % of 50 = 14.5 would come out just below and round down.
        const int64_t product = static_cast<int64_t>(value) * current;
        const int64_t magnitude = product < 0 ? -product : product;
        int64_t rounded = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
        rounded = std::min<int64_t>(rounded, std::numeric_limits<int32_t>::max());
        return static_cast<int32_t>(product < 0 ? -rounded : rounded);
    }
    return 0;
}

FREE_IMAGE_FILTER ResizeFilter(int32_t algorithm) {
    switch (algorithm) {
    case 0:
        return FILTER_BOX;
    case 1:
        return FILTER_BILINEAR;
    case 2:
        return FILTER_BSPLINE;
    case 4:
        return FILTER_CATMULLROM;
    case 5:
        return FILTER_LANCZOS3;
    default:
        return FILTER_BICUBIC;
    }
}

Bitmap ApplyResize(Bitmap bitmap, int32_t width, int32_t height,
                   const Settings::Transform& transform) {
    if (!bitmap || transform.doImageResize == 0) {
        return bitmap;
    }
    const int32_t targetWidth = ResizeTarget(transform.imageWidth, transform.imageWidthUnit, width);
    const int32_t targetHeight =
        ResizeTarget(transform.imageHeight, transform.imageHeightUnit, height);
    if (targetWidth <= 0 || targetHeight <= 0) {
        return bitmap;
    }
    if (width == targetWidth && height == targetHeight) {
        return bitmap;
    }
    if (transform.imageResizeType == 1 && width < targetWidth && height < targetHeight) {
        return bitmap;
    }
    int32_t newWidth = targetWidth;
    int32_t newHeight = targetHeight;
    if (transform.keepAspectRatio != 0) {
        // Only the longer side's target counts; the ratio is kept in single precision.
        if (width >= height) {
            const float ratio = static_cast<float>(width) / static_cast<float>(height);
            newHeight = static_cast<int32_t>(std::lround(static_cast<float>(targetWidth) / ratio));
        } else {
            const float ratio = static_cast<float>(height) / static_cast<float>(width);
            newWidth = static_cast<int32_t>(std::lround(static_cast<float>(targetHeight) / ratio));
        }
    }
    if (newWidth <= 0 || newHeight <= 0 ||
        !WithinSizeLimits(uint64_t(newWidth), uint64_t(newHeight), "resized image")) {
        return Bitmap();
    }
    return Bitmap(FreeImage_Rescale(bitmap.get(), newWidth, newHeight, ResizeFilter(transform.imageResizeAlgorithm)));
}

} // namespace millconv
