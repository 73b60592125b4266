// Row swizzles against the byte-by-byte meaning, at every length around the vector steps, with
// nothing written past the row.
#include "engine/swizzle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace millconv::test {
namespace {

constexpr unsigned char kGuard = 0xA5;

std::vector<unsigned char> Samples(size_t count) {
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    return bytes;
}

TEST(SwizzleTest, SwapsRedAndBlueAtEveryLength) {
    for (const size_t channels : {3u, 4u}) {
        for (size_t pixels = 0; pixels <= 41; ++pixels) {
            SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(pixels));
            const std::vector<unsigned char> in = Samples(pixels * channels);
            std::vector<unsigned char> out(pixels * channels + 16, kGuard);
            if (channels == 3) {
                RgbToBgr(in.data(), out.data(), pixels);
            } else {
                RgbaToBgra(in.data(), out.data(), pixels);
            }
            for (size_t i = 0; i < pixels * channels; i += channels) {
                ASSERT_EQ(out[i], in[i + 2]) << "pixel " << i / channels;
                ASSERT_EQ(out[i + 1], in[i + 1]);
                ASSERT_EQ(out[i + 2], in[i]);
                if (channels == 4) {
                    ASSERT_EQ(out[i + 3], in[i + 3]);
                }
            }
            for (size_t i = pixels * channels; i < out.size(); ++i) {
                ASSERT_EQ(out[i], kGuard) << "written past the row at " << i;
            }
        }
    }
}

TEST(SwizzleTest, TellsWhetherAnyAlphaIsBelowFull) {
    for (const size_t pixels : {1u, 4u, 7u, 16u, 19u}) {
        std::vector<unsigned char> in(pixels * 4, 0xFF);
        std::vector<unsigned char> out(in.size());
        EXPECT_FALSE(RgbaToBgra(in.data(), out.data(), pixels)) << pixels;
        // Red, green and blue below full never count.
        for (size_t i = 0; i < in.size(); i += 4) {
            in[i] = in[i + 1] = in[i + 2] = 0x10;
        }
        EXPECT_FALSE(RgbaToBgra(in.data(), out.data(), pixels)) << pixels;
        for (size_t at = 0; at < pixels; ++at) {
            std::vector<unsigned char> one = in;
            one[at * 4 + 3] = 0xFE;
            EXPECT_TRUE(RgbaToBgra(one.data(), out.data(), pixels)) << pixels << " at " << at;
        }
    }
}

} // namespace
} // namespace millconv::test
