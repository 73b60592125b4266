// Flip step: horizontal then vertical mirroring in place.
#include "engine/flip.h"

namespace millconv {

Bitmap ApplyFlip(Bitmap bitmap, const Settings::Transform& transform) {
    if (!bitmap) {
        return bitmap;
    }
    if (transform.doImageFlipHorizontal != 0) {
        FreeImage_FlipHorizontal(bitmap.get());
    }
    if (transform.doImageFlipVertical != 0) {
        FreeImage_FlipVertical(bitmap.get());
    }
    return bitmap;
}

} // namespace millconv
