// Chunk and stream checksums: the same sums whichever library takes a call.
#include <gtest/gtest.h>

#include <vector>

#include <zlib.h>

#include "engine/checksums.h"

namespace millconv {
namespace {

TEST(Checksums, RunningSumsMatchZlibBeforeAndAfterTheSwitch) {
    std::vector<unsigned char> data(300000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    }
    // Pieces of a PNG's sizes: chunk headers, small chunks, one that crosses zlib's share,
    // then whole IDAT runs; each sum goes on from the one before.
    const size_t pieces[] = {4, 13, 0, 1, 8192, 20000, 4567, 9000, 1, 3, 65536, 191000};
    RestartChecksumShare();
    uint32_t crc = 0;
    uint32_t adler = 1;
    size_t at = 0;
    for (const size_t size : pieces) {
        ASSERT_LE(at + size, data.size());
        crc = Crc32(crc, data.data() + at, size);
        adler = Adler32(adler, data.data() + at, size);
        at += size;
        EXPECT_EQ(crc, uint32_t(crc32_z(0, data.data(), at))) << "after " << at << " bytes";
        EXPECT_EQ(adler, uint32_t(adler32_z(1, data.data(), at))) << "after " << at << " bytes";
    }
}

} // namespace
} // namespace millconv
