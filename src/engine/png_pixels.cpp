// Inflated PNG rows turned into a FreeImage bitmap laid out as FreeImage's own PNG loader does.
#include "engine/png_pixels.h"

#include "engine/mapped_bitmap.h"
#include "engine/png_unfilter.h"
#include "engine/swizzle.h"

#include <cstring>
#include <memory>

namespace millconv {

namespace {

enum ColorType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgbAlpha = 6 };

// How one row of PNG samples becomes one scanline.
enum class Shape {
    Copy,        // indices or grey levels, packed as in the file
    Unpack,      // 1, 2 or 4-bit indices spread to a byte each
    ExpandGrey,  // 1, 2 or 4-bit grey levels spread and scaled to 8 bits
    Bgr,         // 8-bit RGB
    Bgra,        // 8-bit RGBA
    BgraKeyed,   // 8-bit RGB with a transparent colour: alpha 0 where it matches
    GreyAlpha,   // 8-bit grey and alpha to BGRA
    Swap16,      // 16-bit samples in native order, channels as they are
    KeyedRgba16, // 16-bit grey or RGB with a transparent colour to RGBA
    GreyAlpha16, // 16-bit grey and alpha to RGBA
};

struct Target {
    FREE_IMAGE_TYPE type = FIT_BITMAP;
    unsigned bpp = 8;
    Shape shape = Shape::Copy;
};

Target ChooseTarget(const PngLayout& layout) {
    const PngHeader& header = layout.header;
    const bool keyed = layout.hasTransparentSample;
    const bool deep = header.bitDepth == 16;
    // The loader keeps 1 and 4-bit rows packed unless a transparency table asks for bytes.
    const bool packed = header.bitDepth == 1 || header.bitDepth == 4;
    switch (header.colorType) {
    case kGrey:
        if (deep) {
            return keyed ? Target{FIT_RGBA16, 64, Shape::KeyedRgba16}
                         : Target{FIT_UINT16, 16, Shape::Swap16};
        }
        if (header.bitDepth == 8 || (packed && !keyed)) {
            return {FIT_BITMAP, header.bitDepth, Shape::Copy};
        }
        return {FIT_BITMAP, 8, Shape::ExpandGrey};
    case kPalette:
        if (header.bitDepth == 8 || (packed && layout.alphaCount == 0)) {
            return {FIT_BITMAP, header.bitDepth, Shape::Copy};
        }
        return {FIT_BITMAP, 8, Shape::Unpack};
    case kRgb:
        if (deep) {
            return keyed ? Target{FIT_RGBA16, 64, Shape::KeyedRgba16}
                         : Target{FIT_RGB16, 48, Shape::Swap16};
        }
        return keyed ? Target{FIT_BITMAP, 32, Shape::BgraKeyed}
                     : Target{FIT_BITMAP, 24, Shape::Bgr};
    case kGreyAlpha:
        return deep ? Target{FIT_RGBA16, 64, Shape::GreyAlpha16}
                    : Target{FIT_BITMAP, 32, Shape::GreyAlpha};
    default:
        return deep ? Target{FIT_RGBA16, 64, Shape::Swap16} : Target{FIT_BITMAP, 32, Shape::Bgra};
    }
}

inline void Store16(BYTE* out, uint16_t value) { std::memcpy(out, &value, 2); }

// One scanline from one row of samples. Returns whether an alpha below 255 was written.
class RowWriter {
  public:
    RowWriter(const PngLayout& layout, Shape shape) : layout_(layout), shape_(shape) {
        const unsigned depth = layout.header.bitDepth;
        mask_ = (1u << (depth < 8 ? depth : 8)) - 1;
        scale_ = shape == Shape::ExpandGrey ? 255 / mask_ : 1;
        // The loader leaves the bits past the last pixel of a packed row as allocated: zero.
        const unsigned tailBits = unsigned(uint64_t(layout.header.width) * depth % 8);
        tailMask_ = tailBits == 0 ? 0xFF : BYTE(0xFF << (8 - tailBits));
    }

    void Write(const unsigned char* in, BYTE* out, size_t rowBytes) {
        const uint32_t width = layout_.header.width;
        const auto& key = layout_.transparentSample;
        switch (shape_) {
        case Shape::Copy:
            std::memcpy(out, in, rowBytes);
            out[rowBytes - 1] &= tailMask_;
            break;
        case Shape::Unpack:
        case Shape::ExpandGrey: {
            const unsigned depth = layout_.header.bitDepth;
            for (uint32_t x = 0; x < width; ++x) {
                const size_t bit = size_t(x) * depth;
                const unsigned value = (in[bit / 8] >> (8 - depth - bit % 8)) & mask_;
                out[x] = BYTE(value * scale_);
            }
            break;
        }
        case Shape::Bgr:
            RgbToBgr(in, out, width);
            break;
        case Shape::Bgra:
            translucent_ |= RgbaToBgra(in, out, width);
            break;
        case Shape::BgraKeyed:
            for (uint32_t x = 0; x < width; ++x, in += 3, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                const bool hidden = in[0] == key[0] && in[1] == key[1] && in[2] == key[2];
                out[3] = hidden ? 0 : 255;
                translucent_ |= hidden;
            }
            break;
        case Shape::GreyAlpha:
            for (uint32_t x = 0; x < width; ++x, in += 2, out += 4) {
                out[0] = out[1] = out[2] = in[0];
                out[3] = in[1];
                translucent_ |= in[1] != 255;
            }
            break;
        case Shape::Swap16:
            for (size_t i = 0; i + 1 < rowBytes; i += 2) {
                out[i] = in[i + 1];
                out[i + 1] = in[i];
            }
            break;
        case Shape::KeyedRgba16: {
            const bool grey = layout_.header.colorType == kGrey;
            const size_t step = grey ? 2 : 6;
            for (uint32_t x = 0; x < width; ++x, in += step, out += 8) {
                const uint16_t red = PngUint16(in);
                const uint16_t green = grey ? red : PngUint16(in + 2);
                const uint16_t blue = grey ? red : PngUint16(in + 4);
                const bool hidden = red == key[0] && green == key[1] && blue == key[2];
                Store16(out, red);
                Store16(out + 2, green);
                Store16(out + 4, blue);
                Store16(out + 6, hidden ? 0 : 0xFFFF);
            }
            break;
        }
        case Shape::GreyAlpha16:
            for (uint32_t x = 0; x < width; ++x, in += 4, out += 8) {
                const uint16_t grey = PngUint16(in);
                Store16(out, grey);
                Store16(out + 2, grey);
                Store16(out + 4, grey);
                Store16(out + 6, PngUint16(in + 2));
            }
            break;
        }
    }

    bool Translucent() const { return translucent_; }

  private:
    const PngLayout& layout_;
    Shape shape_;
    unsigned mask_ = 0;
    unsigned scale_ = 1;
    BYTE tailMask_ = 0xFF;
    bool translucent_ = false;
};

// Adam7 pass geometry: the first column and row of each pass and the steps between them.
constexpr unsigned kPassStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
constexpr unsigned kPassStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};

uint32_t PassExtent(uint32_t size, unsigned start, unsigned step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Unfilters every row of one image (or pass) of rows x rowBytes stored with their filter bytes
// at filtered; each finished row goes to done(row index, samples). False on an unknown filter.
template <typename Done>
bool UnfilterRows(unsigned char* filtered, uint32_t rows, size_t rowBytes, size_t pixelBytes,
                  Done&& done) {
    const unsigned char* previous = nullptr;
    for (uint32_t y = 0; y < rows; ++y) {
        unsigned char* row = filtered + size_t(y) * (rowBytes + 1);
        if (!UnfilterRow(row[0], row + 1, previous, rowBytes, pixelBytes)) {
            return false;
        }
        done(y, row + 1);
        previous = row + 1;
    }
    return true;
}

// Spreads the pixels of all seven passes into whole rows of rowBytes each, top row first.
bool Deinterlace(const PngHeader& header, unsigned char* filtered, unsigned char* image,
                 size_t rowBytes, size_t pixelBytes) {
    const unsigned bits = header.BitsPerPixel();
    for (int pass = 0; pass < 7; ++pass) {
        const uint32_t columns = PassExtent(header.width, kPassStart[pass][0], kPassStep[pass][0]);
        const uint32_t rows = PassExtent(header.height, kPassStart[pass][1], kPassStep[pass][1]);
        if (columns == 0 || rows == 0) {
            continue;
        }
        const size_t passRowBytes = header.RowBytes(columns);
        const auto spread = [&](uint32_t y, const unsigned char* samples) {
            unsigned char* row =
                image + (size_t(y) * kPassStep[pass][1] + kPassStart[pass][1]) * rowBytes;
            for (uint32_t i = 0; i < columns; ++i) {
                const size_t x = size_t(i) * kPassStep[pass][0] + kPassStart[pass][0];
                if (bits >= 8) {
                    std::memcpy(row + x * pixelBytes, samples + size_t(i) * pixelBytes, pixelBytes);
                    continue;
                }
                const unsigned mask = (1u << bits) - 1;
                const size_t from = size_t(i) * bits;
                const size_t to = x * bits;
                const unsigned value = (samples[from / 8] >> (8 - bits - from % 8)) & mask;
                const unsigned shift = 8 - bits - to % 8;
                row[to / 8] =
                    static_cast<unsigned char>((row[to / 8] & ~(mask << shift)) | (value << shift));
            }
        };
        if (!UnfilterRows(filtered, rows, passRowBytes, pixelBytes, spread)) {
            return false;
        }
        filtered += size_t(rows) * (passRowBytes + 1);
    }
    return true;
}

void SetUpColours(FIBITMAP* bitmap, const PngLayout& layout, const Target& target) {
    const PngHeader& header = layout.header;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    if (header.colorType == kPalette) {
        const unsigned entries = std::min(layout.paletteSize, FreeImage_GetColorsUsed(bitmap));
        for (unsigned i = 0; i < entries; ++i) {
            palette[i].rgbRed = layout.palette[i * 3];
            palette[i].rgbGreen = layout.palette[i * 3 + 1];
            palette[i].rgbBlue = layout.palette[i * 3 + 2];
        }
        if (layout.alphaCount > 0) {
            FreeImage_SetTransparencyTable(bitmap, const_cast<BYTE*>(layout.alphas.data()),
                                           int(layout.alphaCount));
        }
    } else if (header.colorType == kGrey && target.type == FIT_BITMAP) {
        const unsigned entries = 1u << target.bpp;
        for (unsigned i = 0; i < entries; ++i) {
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue =
                BYTE(i * 255 / (entries - 1));
        }
        // The loader marks the grey level as the file states it, unscaled, in a full table.
        if (layout.hasTransparentSample) {
            BYTE table[256];
            std::memset(table, 0xFF, sizeof table);
            table[layout.transparentSample[0]] = 0;
            FreeImage_SetTransparencyTable(bitmap, table, 256);
        }
    }
    if (target.type == FIT_BITMAP && layout.hasBackground) {
        RGBQUAD background{};
        background.rgbRed = BYTE(layout.background[0]);
        background.rgbGreen = BYTE(layout.background[1]);
        background.rgbBlue = BYTE(layout.background[2]);
        FreeImage_SetBackgroundColor(bitmap, &background);
    }
    if (layout.hasMetricDensity) {
        FreeImage_SetDotsPerMeterX(bitmap, layout.dotsPerMeter[0]);
        FreeImage_SetDotsPerMeterY(bitmap, layout.dotsPerMeter[1]);
    }
}

} // namespace

class PngRowSink::Rows {
  public:
    explicit Rows(const PngLayout& layout)
        : layout_(layout), target_(ChooseTarget(layout)), writer_(layout, target_.shape),
          rowBytes_(layout.header.RowBytes(layout.header.width)),
          pixelBytes_(std::max(1u, layout.header.BitsPerPixel() / 8)) {}

    bool Allocate() {
        const PngHeader& header = layout_.header;
        FIBITMAP* bitmap =
            AllocateMappedBitmap(target_.type, header.width, header.height, target_.bpp);
        if (bitmap == nullptr) {
            bitmap = FreeImage_AllocateT(target_.type, int(header.width), int(header.height),
                                         int(target_.bpp), FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                         FI_RGBA_BLUE_MASK);
        }
        bitmap_.reset(bitmap);
        if (bitmap_) {
            SetUpColours(bitmap_.get(), layout_, target_);
            rows_.reset(new unsigned char[2 * rowBytes_]);
        }
        return bool(bitmap_);
    }
    size_t RowLength() const { return rowBytes_ + 1; }

    bool Take(const unsigned char* filtered) {
        unsigned char* row = rows_.get() + (y_ % 2) * rowBytes_;
        const unsigned char* previous = y_ == 0 ? nullptr : rows_.get() + (1 - y_ % 2) * rowBytes_;
        std::memcpy(row, filtered + 1, rowBytes_);
        if (!UnfilterRow(filtered[0], row, previous, rowBytes_, pixelBytes_)) {
            return false;
        }
        TakeSamples(row);
        return true;
    }

    void TakeSamples(const unsigned char* samples) {
        const int line = int(layout_.header.height - 1 - y_++);
        writer_.Write(samples, FreeImage_GetScanLine(bitmap_.get(), line), rowBytes_);
    }

    Bitmap Finish() {
        if (target_.type == FIT_BITMAP && target_.bpp == 32) {
            FreeImage_SetTransparent(bitmap_.get(), writer_.Translucent() ? TRUE : FALSE);
        }
        return std::move(bitmap_);
    }

  private:
    const PngLayout& layout_;
    Target target_;
    RowWriter writer_;
    size_t rowBytes_;
    size_t pixelBytes_;
    Bitmap bitmap_;
    std::unique_ptr<unsigned char[]> rows_; // this row and the one above, by turns
    uint32_t y_ = 0;
};

PngRowSink::PngRowSink(const PngLayout& layout) : rows_(std::make_unique<Rows>(layout)) {}
PngRowSink::~PngRowSink() = default;
bool PngRowSink::Allocate() { return rows_->Allocate(); }
size_t PngRowSink::RowLength() const { return rows_->RowLength(); }
bool PngRowSink::Take(const unsigned char* filtered) { return rows_->Take(filtered); }
void PngRowSink::TakeSamples(const unsigned char* samples) { rows_->TakeSamples(samples); }
Bitmap PngRowSink::Finish() { return rows_->Finish(); }

Bitmap BuildPngBitmap(const PngLayout& layout, unsigned char* filtered) {
    const PngHeader& header = layout.header;
    PngRowSink sink(layout);
    if (!sink.Allocate()) {
        return {};
    }
    if (header.interlace == 0) {
        for (uint32_t y = 0; y < header.height; ++y) {
            if (!sink.Take(filtered + size_t(y) * sink.RowLength())) {
                return {};
            }
        }
        return sink.Finish();
    }
    const size_t rowBytes = header.RowBytes(header.width);
    const size_t pixelBytes = std::max(1u, header.BitsPerPixel() / 8);
    // Passes land in whole rows first; zeros where the loader starts from zeros too.
    auto image = std::make_unique<unsigned char[]>(size_t(header.height) * rowBytes);
    if (!Deinterlace(header, filtered, image.get(), rowBytes, pixelBytes)) {
        return {};
    }
    for (uint32_t y = 0; y < header.height; ++y) {
        sink.TakeSamples(image.get() + size_t(y) * rowBytes);
    }
    return sink.Finish();
}

} // namespace millconv
