// Flip step: horizontal then vertical mirroring in place.
#pragma once

#include "engine/bitmap.h"
#include "settings/settings.h"

namespace millconv {

// Mirrors the bitmap as the flip settings ask; the bitmap keeps its identity.
Bitmap ApplyFlip(Bitmap bitmap, const Settings::Transform& transform);

} // namespace millconv
