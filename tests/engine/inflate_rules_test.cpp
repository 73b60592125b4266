// The stream walker that keeps the fast decoder to zlib's rules: streams built bit by bit for
// each place where libdeflate is more lenient, and thousands of damaged streams on which the
// walker must agree with zlib itself.
#include "engine/inflate_rules.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace millconv::test {
namespace {

constexpr uint64_t kNoLimit = ~uint64_t(0);

// Bits least significant first, as deflate stores them; Huffman codewords go most significant
// bit first.
class BitWriter {
  public:
    BitWriter& Bits(uint32_t value, unsigned count) {
        for (unsigned bit = 0; bit < count; ++bit) {
            Put((value >> bit) & 1);
        }
        return *this;
    }
    BitWriter& Code(uint32_t codeword, unsigned length) {
        for (unsigned bit = length; bit-- > 0;) {
            Put((codeword >> bit) & 1);
        }
        return *this;
    }
    // A symbol of the fixed literal/length code.
    BitWriter& Fixed(unsigned symbol) {
        if (symbol < 144) {
            return Code(0x30 + symbol, 8);
        }
        if (symbol < 256) {
            return Code(0x190 + symbol - 144, 9);
        }
        if (symbol < 280) {
            return Code(symbol - 256, 7);
        }
        return Code(0xC0 + symbol - 280, 8);
    }
    // A dynamic block header whose code-length code gives lengths 0 to 15 four bits each.
    BitWriter& DynamicHeader(const std::vector<uint8_t>& litLens,
                             const std::vector<uint8_t>& distances) {
        Bits(uint32_t(litLens.size() - 257), 5).Bits(uint32_t(distances.size() - 1), 5);
        Bits(19 - 4, 4);
        static const unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                            11, 4,  12, 3, 13, 2, 14, 1, 15};
        for (const unsigned symbol : kOrder) {
            Bits(symbol < 16 ? 4 : 0, 3);
        }
        for (const uint8_t length : litLens) {
            Code(length, 4);
        }
        for (const uint8_t length : distances) {
            Code(length, 4);
        }
        return *this;
    }
    std::string Deflate() const { return bytes_; }

  private:
    void Put(uint32_t bit) {
        if (used_ % 8 == 0) {
            bytes_.push_back('\0');
        }
        bytes_.back() = char(bytes_.back() | bit << (used_ % 8));
        ++used_;
    }
    std::string bytes_;
    unsigned used_ = 0;
};

// The deflate data with a zlib header and the checksum of whatever libdeflate makes of it, so
// the checksum never decides a case.
std::string Wrapped(const std::string& deflate, bool* libdeflateTakesIt = nullptr) {
    std::vector<unsigned char> out(1 << 20);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    size_t produced = 0;
    const bool taken = libdeflate_deflate_decompress(inflater, deflate.data(), deflate.size(),
                                                     out.data(), out.size(),
                                                     &produced) == LIBDEFLATE_SUCCESS;
    libdeflate_free_decompressor(inflater);
    if (libdeflateTakesIt != nullptr) {
        *libdeflateTakesIt = taken;
    }
    const uint32_t adler = libdeflate_adler32(1, out.data(), taken ? produced : 0);
    std::string stream = "\x78\x9c" + deflate;
    for (int shift = 24; shift >= 0; shift -= 8) {
        stream.push_back(char(adler >> shift));
    }
    return stream;
}

bool Walks(const std::string& stream, uint64_t limit = kNoLimit) {
    return KeepsInflateRules(
        {reinterpret_cast<const unsigned char*>(stream.data()), stream.size()}, limit);
}

// zlib's verdict on the stream up to the end of its last block, inflated into one buffer as
// the fast decoder inflates it.
bool ZlibTakes(const std::string& stream) {
    static std::vector<unsigned char> out(size_t(64) << 20);
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 0), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = uInt(stream.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    bool taken = false;
    for (;;) {
        const int result = inflate(&z, Z_BLOCK);
        if (result != Z_OK && result != Z_STREAM_END) {
            break;
        }
        // 64: the last block was begun; 128: a block has just ended.
        if (result == Z_STREAM_END || (z.data_type & 192) == 192) {
            taken = true;
            break;
        }
        EXPECT_GT(z.avail_out, 0u) << "the buffer is meant never to fill";
        if (z.avail_in == 0) {
            break;
        }
    }
    inflateEnd(&z);
    return taken;
}

TEST(InflateRulesTest, RefusesWhatOnlyLibdeflateTakes) {
    auto litLens = [&](std::initializer_list<std::pair<unsigned, uint8_t>> used, size_t size) {
        std::vector<uint8_t> lengths(size, 0);
        for (const auto& [symbol, length] : used) {
            lengths[symbol] = length;
        }
        return lengths;
    };
    // Codewords in canonical order: 257 "0", 'q' "10", end-of-block "11"; a distance code
    // with one codeword of one bit has "0" only.
    const std::string kStored24577 =
        std::string("\x00\x01\x60\xfe\x9f", 5) + std::string(24577, 'z');
    const auto qAndEnd = litLens({{'q', 1}, {256, 1}}, 257);
    const auto endOnly = litLens({{256, 1}}, 257);
    const struct {
        const char* name;
        std::string deflate;
        bool lenient; // libdeflate takes it, zlib does not
    } cases[] = {
        {"fixed: length 258 at distance 1",
         BitWriter().Bits(1, 1).Bits(1, 2).Fixed('q').Fixed(285).Code(0, 5).Fixed(256).Deflate(),
         false},
        {"fixed: length symbol 286",
         BitWriter().Bits(1, 1).Bits(1, 2).Fixed('q').Fixed(286).Code(0, 5).Fixed(256).Deflate(),
         true},
        {"fixed: length symbol 287",
         BitWriter().Bits(1, 1).Bits(1, 2).Fixed('q').Fixed(287).Code(0, 5).Fixed(256).Deflate(),
         true},
        // libdeflate reads distance symbol 30 as 24577, so 24577 bytes come first.
        {"fixed: distance symbol 29 after 24577 bytes",
         kStored24577 + BitWriter().Bits(1, 1).Bits(1, 2).Fixed(257).Code(29, 5).Bits(0, 13)
                            .Fixed(256).Deflate(),
         false},
        {"fixed: distance symbol 30 after 24577 bytes",
         kStored24577 + BitWriter().Bits(1, 1).Bits(1, 2).Fixed(257).Code(30, 5).Bits(0, 13)
                            .Fixed(256).Deflate(),
         true},
        {"dynamic: one-bit distance code, codeword 0",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(litLens({{'q', 2}, {256, 2}, {257, 1}},
                                                                  258), {1})
             .Code(2, 2).Code(0, 1).Code(0, 1).Code(3, 2).Deflate(),
         false},
        {"dynamic: one-bit distance code, codeword 1",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(litLens({{'q', 2}, {256, 2}, {257, 1}},
                                                                  258), {1})
             .Code(2, 2).Code(0, 1).Code(1, 1).Code(3, 2).Deflate(),
         true},
        {"dynamic: end-of-block alone, codeword 0",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(endOnly, {1}).Code(0, 1).Deflate(),
         false},
        {"dynamic: end-of-block alone, codeword 1",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(endOnly, {1}).Code(1, 1).Deflate(), true},
        {"dynamic: 288 length symbols",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(litLens({{'q', 1}, {256, 1}}, 288), {1})
             .Code(0, 1).Code(1, 1).Deflate(),
         true},
        {"dynamic: 286 length symbols",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(litLens({{'q', 1}, {256, 1}}, 286), {1})
             .Code(0, 1).Code(1, 1).Deflate(),
         false},
        {"dynamic: 31 distance symbols",
         BitWriter().Bits(1, 1).Bits(2, 2).DynamicHeader(qAndEnd, litLens({{0, 1}, {1, 1}}, 31))
             .Code(0, 1).Code(1, 1).Deflate(),
         true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        bool libdeflateTakesIt = false;
        const std::string stream = Wrapped(test.deflate, &libdeflateTakesIt);
        EXPECT_TRUE(libdeflateTakesIt);
        EXPECT_EQ(ZlibTakes(stream), !test.lenient);
        EXPECT_EQ(Walks(stream), !test.lenient);
    }
}

TEST(InflateRulesTest, JudgesOnlyUpToTheLimit) {
    // Ten literals, then a length symbol zlib refuses.
    BitWriter writer;
    writer.Bits(1, 1).Bits(1, 2);
    for (int i = 0; i < 10; ++i) {
        writer.Fixed('a' + unsigned(i));
    }
    const std::string stream = Wrapped(writer.Fixed(286).Code(0, 5).Fixed(256).Deflate());
    EXPECT_TRUE(Walks(stream, 10));
    EXPECT_FALSE(Walks(stream, 11));
}

TEST(InflateRulesTest, RefusesDamagedHeadersAndShortStreams) {
    const std::string good =
        Wrapped(BitWriter().Bits(1, 1).Bits(1, 2).Fixed('q').Fixed(256).Deflate());
    ASSERT_TRUE(Walks(good));
    const auto withHeader = [&](unsigned char method, unsigned char flags) {
        std::string changed = good;
        changed[0] = char(method);
        changed[1] = char(flags);
        return changed;
    };
    EXPECT_TRUE(Walks(withHeader(0x78, 0x01)));
    EXPECT_FALSE(Walks(withHeader(0x78, 0x02)));  // check bits wrong
    EXPECT_FALSE(Walks(withHeader(0x88, 0x1C)));  // a 64 KiB window
    EXPECT_FALSE(Walks(withHeader(0x79, 0x18)));  // method 9
    EXPECT_FALSE(Walks(withHeader(0x78, 0xBB)));  // a preset dictionary
    EXPECT_FALSE(Walks(good.substr(0, 3)));       // the block ends past the data
    EXPECT_FALSE(Walks(good.substr(0, 1)));
    // A stored block whose length and its complement disagree, then one that agrees.
    EXPECT_FALSE(Walks("\x78\x01" + std::string("\x01\x03\x00\xfd\xff", 5) + "abc"));
    EXPECT_TRUE(Walks("\x78\x01" + std::string("\x01\x03\x00\xfc\xff", 5) + "abc"));
}

// Damaged copies of real streams (fixed, dynamic and stored blocks): the walker and zlib must
// agree on every one.
TEST(InflateRulesTest, AgreesWithZlibOnDamagedStreams) {
    std::string data;
    for (int i = 0; i < 6007; ++i) {
        data.push_back(char(i % 251 < 120 ? i % 7 : (i * 37) % 256));
    }
    std::mt19937 random(20261209);
    int refused = 0;
    int compared = 0;
    for (const int strategy : {Z_FIXED, Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY, Z_RLE}) {
        for (const int level : {0, 1, 9}) {
            std::string stream(compressBound(uLong(data.size())), '\0');
            z_stream z{};
            ASSERT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy), Z_OK);
            z.next_in = reinterpret_cast<Bytef*>(data.data());
            z.avail_in = uInt(data.size());
            z.next_out = reinterpret_cast<Bytef*>(stream.data());
            z.avail_out = uInt(stream.size());
            ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
            stream.resize(z.total_out);
            deflateEnd(&z);
            ASSERT_TRUE(Walks(stream));
            ASSERT_TRUE(ZlibTakes(stream));
            for (int round = 0; round < 250; ++round) {
                std::string damaged = stream;
                const int flips = 1 + int(random() % 3);
                for (int flip = 0; flip < flips; ++flip) {
                    // The header stays: zlib's window then never decides a case.
                    const size_t at = 2 + random() % (damaged.size() - 6);
                    damaged[at] = char(damaged[at] ^ (1 << (random() % 8)));
                }
                const bool zlib = ZlibTakes(damaged);
                EXPECT_EQ(Walks(damaged), zlib) << "strategy " << strategy << " level " << level
                                                << " round " << round;
                refused += zlib ? 0 : 1;
                ++compared;
            }
        }
    }
    // Both verdicts occur often enough for the comparison to mean something.
    EXPECT_GT(refused, compared / 10);
    EXPECT_LT(refused, compared * 9 / 10);
}

} // namespace
} // namespace millconv::test
