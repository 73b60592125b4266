// Helpers of the fuzz programs whose input is a PNG file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <libdeflate.h>

namespace millconv::fuzz {

// Inputs the fuzzer skips: a PNG declaring more than this many pixels, or a chunk longer than
// the bytes left. The engine refuses larger images only above its pixel budget, which still
// allows gigabytes of pixels; this keeps the fuzzer on inputs it runs thousands of times a second.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 22;

inline uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

// Mutations nearly always break a chunk's checksum, and the decoder refuses such a chunk
// before looking at it; mending the checksums lets mutated inputs reach the pixel decoding.
inline void MendChecksums(std::string& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const size_t length = BigEndian32(reinterpret_cast<const uint8_t*>(png.data() + at));
        if (length > png.size() - at - 12) {
            return;
        }
        const uint32_t crc = libdeflate_crc32(0, png.data() + at + 4, length + 4);
        for (int i = 0; i < 4; ++i) {
            png[at + 8 + length + size_t(i)] = static_cast<char>(crc >> (24 - 8 * i));
        }
        at += 12 + length;
    }
}

inline bool WithinFuzzBudget(const uint8_t* data, size_t size) {
    size_t at = 8; // after the signature
    while (at + 8 <= size) {
        const uint64_t length = BigEndian32(data + at);
        if (length > size - at - 8) {
            return false;
        }
        if (std::string_view(reinterpret_cast<const char*>(data + at + 4), 4) == "IHDR" &&
            length >= 8 &&
            uint64_t(BigEndian32(data + at + 8)) * BigEndian32(data + at + 12) > kMaxFuzzPixels) {
            return false;
        }
        at += 12 + length;
    }
    return true;
}

} // namespace millconv::fuzz
