// Flip step: horizontal then vertical mirroring in place.
#include "engine/flip.h"

#include "settings/settings.h"

namespace millconv {

Bitmap ApplyFlip(Bitmap bitmap) {
    if (!bitmap) {
        return bitmap;
    }
    if (gSettings.transform.doImageFlipHorizontal != 0) {
        FreeImage_FlipHorizontal(bitmap.get());
    }
    if (gSettings.transform.doImageFlipVertical != 0) {
        FreeImage_FlipVertical(bitmap.get());
    }
    return bitmap;
}

} // namespace millconv
