// Bitmaps whose pixels the program maps itself: filling a large bitmap page by page is, on a
// virtual machine, a large part of what decoding an image costs, and 2 MiB pages take one
// fault where 4 KiB pages take five hundred.
#include "engine/mapped_bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/bitmap.h"
#include "engine/large_buffer.h"

namespace millconv {

namespace {

std::mutex gMutex;
std::vector<LargeBuffer>& Held() {
    static std::vector<LargeBuffer> held;
    return held;
}
std::atomic<int> gHeld{0};

} // namespace

FIBITMAP* AllocateMappedBitmap(FREE_IMAGE_TYPE type, unsigned width, unsigned height,
                               unsigned bpp) {
    // FreeImage's own pitch: whole bytes, rounded up to whole 32-bit words.
    const uint64_t pitch = (uint64_t(width) * bpp + 31) / 32 * 4;
    const uint64_t bytes = pitch * height;
    if (bytes < kMappedBufferFrom || pitch > uint64_t(INT32_MAX) || bytes > SIZE_MAX) {
        return nullptr;
    }
    LargeBuffer pixels(static_cast<size_t>(bytes)); // fresh mappings read as zeros
    if (pixels.data() == nullptr) {
        return nullptr;
    }
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBitsEx(
        FALSE, pixels.data(), type, int(width), int(height), int(pitch), bpp, FI_RGBA_RED_MASK,
        FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    if (bitmap == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    Held().push_back(std::move(pixels));
    gHeld.fetch_add(1, std::memory_order_relaxed);
    return bitmap;
}

FIBITMAP* ConvertTo32BitsMapped(FIBITMAP* source) {
    if (!FreeImage_HasPixels(source) || FreeImage_GetImageType(source) != FIT_BITMAP ||
        FreeImage_GetBPP(source) != 24) {
        return nullptr;
    }
    const unsigned width = FreeImage_GetWidth(source);
    const unsigned height = FreeImage_GetHeight(source);
    FIBITMAP* converted = AllocateMappedBitmap(FIT_BITMAP, width, height, 32);
    if (converted == nullptr) {
        return nullptr;
    }
    FreeImage_CloneMetadata(converted, source);
    for (unsigned y = 0; y < height; ++y) {
        FreeImage_ConvertLine24To32(FreeImage_GetScanLine(converted, int(y)),
                                    FreeImage_GetScanLine(source, int(y)), int(width));
    }
    return converted;
}

void ReleaseMappedPixels(const void* bits) {
    if (bits == nullptr || gHeld.load(std::memory_order_relaxed) == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    std::vector<LargeBuffer>& held = Held();
    const auto found = std::ranges::find(
        held, bits, [](const LargeBuffer& b) { return static_cast<const void*>(b.data()); });
    if (found != held.end()) {
        held.erase(found);
        gHeld.fetch_sub(1, std::memory_order_relaxed);
    }
}

int MappedBitmapCount() { return gHeld.load(std::memory_order_relaxed); }

} // namespace millconv
