// Red and blue swapped across whole rows: PNG stores RGB(A), FreeImage's bitmaps hold BGR(A).
#pragma once

#include <cstddef>

namespace millconv {

// pixels three-byte pixels from in to out (separate rows).
void RgbToBgr(const unsigned char* in, unsigned char* out, size_t pixels);

// pixels four-byte pixels from in to out; true when an alpha below 255 was among them.
bool RgbaToBgra(const unsigned char* in, unsigned char* out, size_t pixels);

} // namespace millconv
