// PNG row filters undone: the inflated rows back to their samples.
#pragma once

#include <cstddef>

namespace millconv {

// Undoes the filter of one row in place. row holds rowBytes filtered bytes (the filter type
// byte already taken off), previous the unfiltered row above (nullptr for a pass's first row),
// pixelBytes the whole bytes of one pixel (1 for depths below 8). False for an unknown filter.
bool UnfilterRow(unsigned filter, unsigned char* row, const unsigned char* previous,
                 size_t rowBytes, size_t pixelBytes);

} // namespace millconv
