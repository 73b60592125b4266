// Solid frame step (drawing comes with the drawing module).
#include "engine/frame.h"

namespace millconv {

Bitmap ApplyFrame(Bitmap bitmap) { return bitmap; }

} // namespace millconv
