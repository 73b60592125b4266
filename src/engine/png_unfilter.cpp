// PNG row filters undone. One loop per filter and pixel size: the compiler keeps a pixel's
// bytes in registers, which is most of the reader's time after inflating.
#include "engine/png_unfilter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <emmintrin.h>

namespace millconv {

namespace {

enum Filter : unsigned { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

inline unsigned char Paeth(int left, int above, int aboveLeft) {
    const int p = left + above - aboveLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - above);
    const int pc = std::abs(p - aboveLeft);
    if (pa <= pb && pa <= pc) {
        return static_cast<unsigned char>(left);
    }
    return static_cast<unsigned char>(pb <= pc ? above : aboveLeft);
}

template <size_t Bpp> void UnfilterSub(unsigned char* row, size_t rowBytes) {
    for (size_t i = Bpp; i < rowBytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + row[i - Bpp]);
    }
}

template <size_t Bpp>
void UnfilterAverage(unsigned char* row, const unsigned char* previous, size_t rowBytes) {
    for (size_t i = 0; i < Bpp && i < rowBytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + (previous[i] >> 1));
    }
    for (size_t i = Bpp; i < rowBytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + ((row[i - Bpp] + previous[i]) >> 1));
    }
}

template <size_t Bpp>
void UnfilterPaeth(unsigned char* row, const unsigned char* previous, size_t rowBytes) {
    // The first pixel has no left neighbours: Paeth picks the byte above.
    for (size_t i = 0; i < Bpp && i < rowBytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] + previous[i]);
    }
    for (size_t i = Bpp; i < rowBytes; ++i) {
        row[i] = static_cast<unsigned char>(row[i] +
                                            Paeth(row[i - Bpp], previous[i], previous[i - Bpp]));
    }
}

// Sub and Paeth on three and four-byte pixels (8-bit RGB and RGBA, the common case) one pixel
// per step in SSE2 registers: the left neighbour stays in a register and Paeth's choice takes
// no branches, which mispredict on every other pixel of a noisy image.
// Three bytes are put together in a register: through memory, the narrow writes and the wide
// read cost a store-forwarding stall per pixel.
template <size_t Bpp> __m128i LoadPixel(const unsigned char* p) {
    uint32_t value = 0;
    if constexpr (Bpp == 4) {
        std::memcpy(&value, p, 4);
    } else {
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    return _mm_cvtsi32_si128(int(value));
}

template <size_t Bpp> void StorePixel(unsigned char* p, __m128i pixel) {
    const auto value = uint32_t(_mm_cvtsi128_si32(pixel));
    if constexpr (Bpp == 4) {
        std::memcpy(p, &value, 4);
    } else {
        p[0] = static_cast<unsigned char>(value);
        p[1] = static_cast<unsigned char>(value >> 8);
        p[2] = static_cast<unsigned char>(value >> 16);
    }
}

template <size_t Bpp> void UnfilterSubWide(unsigned char* row, size_t rowBytes) {
    __m128i left = _mm_setzero_si128();
    for (size_t i = 0; i + Bpp <= rowBytes; i += Bpp) {
        left = _mm_add_epi8(LoadPixel<Bpp>(row + i), left);
        StorePixel<Bpp>(row + i, left);
    }
}

__m128i Absolute16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }

template <size_t Bpp>
void UnfilterPaethWide(unsigned char* row, const unsigned char* previous, size_t rowBytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i left = zero;
    __m128i aboveLeft = zero;
    for (size_t i = 0; i + Bpp <= rowBytes; i += Bpp) {
        const __m128i above = _mm_unpacklo_epi8(LoadPixel<Bpp>(previous + i), zero);
        const __m128i fromAbove = _mm_sub_epi16(above, aboveLeft); // p - left
        const __m128i fromLeft = _mm_sub_epi16(left, aboveLeft);   // p - above
        const __m128i pa = Absolute16(fromAbove);
        const __m128i pb = Absolute16(fromLeft);
        const __m128i pc = Absolute16(_mm_add_epi16(fromAbove, fromLeft));
        // The corner wins only when strictly nearest, the byte above when nearer than the left.
        const __m128i takeCorner = _mm_and_si128(_mm_cmplt_epi16(pc, pa), _mm_cmplt_epi16(pc, pb));
        const __m128i takeAbove = _mm_andnot_si128(takeCorner, _mm_cmplt_epi16(pb, pa));
        const __m128i keepLeft =
            _mm_andnot_si128(_mm_or_si128(takeCorner, takeAbove), _mm_set1_epi16(-1));
        const __m128i predictor = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(takeCorner, aboveLeft), _mm_and_si128(takeAbove, above)),
            _mm_and_si128(keepLeft, left));
        const __m128i pixel =
            _mm_add_epi8(LoadPixel<Bpp>(row + i), _mm_packus_epi16(predictor, predictor));
        StorePixel<Bpp>(row + i, pixel);
        left = _mm_unpacklo_epi8(pixel, zero);
        aboveLeft = above;
    }
}

template <size_t Bpp>
bool Unfilter(unsigned filter, unsigned char* row, const unsigned char* previous, size_t rowBytes) {
    switch (filter) {
    case kNone:
        return true;
    case kSub:
        if constexpr (Bpp == 3 || Bpp == 4) {
            UnfilterSubWide<Bpp>(row, rowBytes);
        } else {
            UnfilterSub<Bpp>(row, rowBytes);
        }
        return true;
    case kUp:
        for (size_t i = 0; i < rowBytes; ++i) {
            row[i] = static_cast<unsigned char>(row[i] + previous[i]);
        }
        return true;
    case kAverage:
        // Three byte chains side by side already keep the scalar loop as fast as registers.
        UnfilterAverage<Bpp>(row, previous, rowBytes);
        return true;
    case kPaeth:
        if constexpr (Bpp == 3 || Bpp == 4) {
            UnfilterPaethWide<Bpp>(row, previous, rowBytes);
        } else {
            UnfilterPaeth<Bpp>(row, previous, rowBytes);
        }
        return true;
    default:
        return false;
    }
}

} // namespace

bool UnfilterRow(unsigned filter, unsigned char* row, const unsigned char* previous,
                 size_t rowBytes, size_t pixelBytes) {
    if (previous == nullptr) {
        // The first row of a pass: the row above counts as zeros, so Up is None, Paeth is
        // Sub and Average halves the left neighbour only.
        if (filter == kUp) {
            return true;
        }
        if (filter == kPaeth) {
            filter = kSub;
        }
        if (filter == kAverage) {
            for (size_t i = pixelBytes; i < rowBytes; ++i) {
                row[i] = static_cast<unsigned char>(row[i] + (row[i - pixelBytes] >> 1));
            }
            return true;
        }
    }
    switch (pixelBytes) {
    case 1:
        return Unfilter<1>(filter, row, previous, rowBytes);
    case 2:
        return Unfilter<2>(filter, row, previous, rowBytes);
    case 3:
        return Unfilter<3>(filter, row, previous, rowBytes);
    case 4:
        return Unfilter<4>(filter, row, previous, rowBytes);
    case 6:
        return Unfilter<6>(filter, row, previous, rowBytes);
    case 8:
        return Unfilter<8>(filter, row, previous, rowBytes);
    default:
        return false;
    }
}

} // namespace millconv
