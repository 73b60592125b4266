// PNG row filters undone. One loop per filter and pixel size: the compiler keeps a pixel's
// bytes in registers, which is most of the reader's time after inflating.
#include "engine/png_unfilter.h"

#include <cstdlib>

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

template <size_t Bpp>
bool Unfilter(unsigned filter, unsigned char* row, const unsigned char* previous, size_t rowBytes) {
    switch (filter) {
    case kNone:
        return true;
    case kSub:
        UnfilterSub<Bpp>(row, rowBytes);
        return true;
    case kUp:
        for (size_t i = 0; i < rowBytes; ++i) {
            row[i] = static_cast<unsigned char>(row[i] + previous[i]);
        }
        return true;
    case kAverage:
        UnfilterAverage<Bpp>(row, previous, rowBytes);
        return true;
    case kPaeth:
        UnfilterPaeth<Bpp>(row, previous, rowBytes);
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
