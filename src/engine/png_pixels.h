// Inflated PNG rows turned into a FreeImage bitmap laid out as FreeImage's own PNG loader does.
#pragma once

#include "engine/bitmap.h"
#include "engine/png_chunks.h"

#include <memory>

namespace millconv {

// Unfilters the inflated data of layout's image in place (filtered holds at least
// layout.header.FilteredSize() bytes) and writes the pixels into a new bitmap: bottom-up rows,
// BGR(A) byte order, 16-bit samples in native order, grey ramps, palette, transparency table,
// background colour and resolution as FreeImage's PNG loader sets them. Empty when a row names
// an unknown filter or the bitmap cannot be allocated.
Bitmap BuildPngBitmap(const PngLayout& layout, unsigned char* filtered);

// The same bitmap built a row at a time, as the rows are inflated (an image without
// interlacing) or deinterlaced; the rows need not stay where they were after Take returns.
class PngRowSink {
  public:
    explicit PngRowSink(const PngLayout& layout);
    ~PngRowSink();
    PngRowSink(const PngRowSink&) = delete;
    PngRowSink& operator=(const PngRowSink&) = delete;

    // Allocates the bitmap, before the first row; false when it cannot be had.
    bool Allocate();
    // Bytes of one filtered row, its filter type included.
    size_t RowLength() const;
    // Unfilters the next row and writes it into the bitmap; false for an unknown filter.
    bool Take(const unsigned char* filtered);
    // Writes the next row, its samples already unfiltered (and deinterlaced).
    void TakeSamples(const unsigned char* samples);
    // The bitmap once every row has been taken.
    Bitmap Finish();

  private:
    class Rows;
    std::unique_ptr<Rows> rows_;
};

} // namespace millconv
