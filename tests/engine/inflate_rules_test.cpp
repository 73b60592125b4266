// The fast decoder's inflater against zlib: streams built bit by bit for each place where
// libdeflate is more lenient, and thousands of damaged streams on which it must refuse what
// zlib refuses and make what zlib makes.
#include "engine/inflate_rules.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace millconv::test {
namespace {

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

struct Outcome {
    bool finished = false;
    std::string output;
};

// Room for whatever the damaged streams below can make; reused, as filling it costs time.
constexpr size_t kRoom = size_t(2) << 20;

Outcome Ours(const std::string& stream) {
    static std::vector<unsigned char> out(kRoom);
    const InflateResult result =
        InflateZlib({reinterpret_cast<const unsigned char*>(stream.data()), stream.size()},
                    out.data(), out.size());
    EXPECT_NE(result.end, InflateEnd::Full) << "the buffer is meant never to fill";
    return {result.end == InflateEnd::Finished,
            std::string(out.begin(), out.begin() + ptrdiff_t(result.produced))};
}

// Ours again, with the stream cut into pieces (empty ones among them) and the output taken a
// few bytes at a time into a window that keeps only the last 32 KiB of what came before.
Outcome OursStepped(const std::string& stream, std::mt19937& random) {
    std::vector<PngBytes> pieces;
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    for (size_t at = 0; at < stream.size();) {
        const size_t size = std::min<size_t>(random() % 3 == 0 ? 0 : random() % 700,
                                             stream.size() - at);
        pieces.emplace_back(bytes + at, size);
        at += size;
    }
    constexpr size_t kHistory = 32768;
    std::vector<unsigned char> window(kHistory + 3000);
    ZlibInflater inflater(pieces);
    Outcome outcome;
    size_t at = 0;
    for (;;) {
        if (window.size() - at < 10) {
            std::memmove(window.data(), window.data() + at - kHistory, kHistory);
            at = kHistory;
        }
        const size_t longest = random() % 2 ? 9 : 2900;
        const size_t step = std::min<size_t>(1 + random() % longest, window.size() - at);
        const InflateEnd end =
            inflater.Inflate(window.data(), window.data() + at, window.data() + at + step);
        outcome.output.append(window.begin() + ptrdiff_t(at),
                              window.begin() + ptrdiff_t(at + inflater.Written()));
        at += inflater.Written();
        if (end != InflateEnd::Full) {
            outcome.finished = end == InflateEnd::Finished;
            EXPECT_EQ(inflater.Total(), outcome.output.size());
            return outcome;
        }
    }
}

// zlib's own inflation; with checked false its checksum is not compared, and `used` tells how
// many bytes it took, checksum included.
Outcome Zlib(const std::string& stream, bool checked = true, size_t* used = nullptr) {
    static std::vector<unsigned char> out(kRoom);
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 0), Z_OK);
    inflateValidate(&z, checked ? 1 : 0);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = uInt(stream.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const bool finished = inflate(&z, Z_FINISH) == Z_STREAM_END;
    EXPECT_GT(z.avail_out, 0u);
    if (used != nullptr) {
        *used = z.total_in;
    }
    inflateEnd(&z);
    return {finished, std::string(out.begin(), out.begin() + ptrdiff_t(z.total_out))};
}

// A final block of the fixed code, or of a dynamic code with the given lengths.
BitWriter FixedBlock() {
    BitWriter writer;
    writer.Bits(1, 1).Bits(1, 2);
    return writer;
}

BitWriter DynamicBlock(const std::vector<uint8_t>& litLens, const std::vector<uint8_t>& distances) {
    BitWriter writer;
    writer.Bits(1, 1).Bits(2, 2).DynamicHeader(litLens, distances);
    return writer;
}

// size code lengths, zero but for the symbols given.
std::vector<uint8_t> Lengths(std::initializer_list<std::pair<unsigned, uint8_t>> used,
                             size_t size) {
    std::vector<uint8_t> lengths(size, 0);
    for (const auto& [symbol, length] : used) {
        lengths[symbol] = length;
    }
    return lengths;
}

TEST(InflateRulesTest, RefusesWhatOnlyLibdeflateTakes) {
    // libdeflate reads distance symbol 30 as 24577, so 24577 stored bytes come first.
    const std::string stored24577 =
        std::string("\x00\x01\x60\xfe\x9f", 5) + std::string(24577, 'z');
    const auto fixedMatch = [](unsigned length, unsigned distance, unsigned extra) {
        return FixedBlock().Fixed('q').Fixed(length).Code(distance, 5).Bits(0, extra)
            .Fixed(256).Deflate();
    };
    // Codewords in canonical order: 257 "0", 'q' "10", end-of-block "11"; a distance code
    // with one codeword of one bit has "0" only.
    const auto oneBitDistance = [](unsigned codeword) {
        return DynamicBlock(Lengths({{'q', 2}, {256, 2}, {257, 1}}, 258), {1})
            .Code(2, 2).Code(0, 1).Code(codeword, 1).Code(3, 2).Deflate();
    };
    const auto endOnly = [](unsigned codeword) {
        return DynamicBlock(Lengths({{256, 1}}, 257), {1}).Code(codeword, 1).Deflate();
    };
    const auto qAndEnd = [](size_t litLens, size_t distances) {
        return DynamicBlock(Lengths({{'q', 1}, {256, 1}}, litLens),
                            Lengths({{0, 1}, {1, 1}}, distances))
            .Code(0, 1).Code(1, 1).Deflate();
    };
    const struct {
        const char* name;
        std::string deflate;
        bool lenient; // libdeflate takes it, zlib does not
    } cases[] = {
        {"fixed: length 258 at distance 1", fixedMatch(285, 0, 0), false},
        {"fixed: length symbol 286", fixedMatch(286, 0, 0), true},
        {"fixed: length symbol 287", fixedMatch(287, 0, 0), true},
        {"fixed: distance symbol 29 after 24577 bytes", stored24577 + fixedMatch(257, 29, 13),
         false},
        {"fixed: distance symbol 30 after 24577 bytes", stored24577 + fixedMatch(257, 30, 13),
         true},
        {"dynamic: one-bit distance code, codeword 0", oneBitDistance(0), false},
        {"dynamic: one-bit distance code, codeword 1", oneBitDistance(1), true},
        {"dynamic: end-of-block alone, codeword 0", endOnly(0), false},
        {"dynamic: end-of-block alone, codeword 1", endOnly(1), true},
        {"dynamic: 286 length, 30 distance symbols", qAndEnd(286, 30), false},
        {"dynamic: 288 length symbols", qAndEnd(288, 30), true},
        {"dynamic: 31 distance symbols", qAndEnd(257, 31), true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        bool libdeflateTakesIt = false;
        const std::string stream = Wrapped(test.deflate, &libdeflateTakesIt);
        EXPECT_TRUE(libdeflateTakesIt);
        const Outcome zlib = Zlib(stream);
        const Outcome ours = Ours(stream);
        EXPECT_EQ(zlib.finished, !test.lenient);
        EXPECT_EQ(ours.finished, !test.lenient);
        if (ours.finished) {
            EXPECT_EQ(ours.output, zlib.output);
        }
    }
}

TEST(InflateRulesTest, StopsWhenTheOutputIsFull) {
    // Ten literals, then a length symbol zlib refuses.
    BitWriter writer = FixedBlock();
    for (int i = 0; i < 10; ++i) {
        writer.Fixed('a' + unsigned(i));
    }
    const std::string stream = Wrapped(writer.Fixed(286).Code(0, 5).Fixed(256).Deflate());
    const auto inflate = [&](size_t capacity) {
        std::string out(capacity + 1, '#');
        const InflateResult result =
            InflateZlib({reinterpret_cast<const unsigned char*>(stream.data()), stream.size()},
                        reinterpret_cast<unsigned char*>(out.data()), capacity);
        EXPECT_EQ(out.back(), '#') << "nothing written past the capacity";
        return std::pair{result.end, out.substr(0, result.produced)};
    };
    EXPECT_EQ(inflate(10), std::pair(InflateEnd::Full, std::string("abcdefghij")));
    EXPECT_EQ(inflate(11).first, InflateEnd::Broken);
    EXPECT_EQ(inflate(0).first, InflateEnd::Full);
}

TEST(InflateRulesTest, RefusesDamagedHeadersChecksumsAndShortStreams) {
    const std::string good =
        Wrapped(FixedBlock().Fixed('q').Fixed(256).Deflate());
    ASSERT_TRUE(Ours(good).finished);
    const auto withHeader = [&](unsigned char method, unsigned char flags) {
        std::string changed = good;
        changed[0] = char(method);
        changed[1] = char(flags);
        return changed;
    };
    std::string badChecksum = good;
    badChecksum.back() = char(badChecksum.back() ^ 4);
    const struct {
        const char* name;
        std::string stream;
        bool finished;
    } cases[] = {
        {"other check bits", withHeader(0x78, 0x01), true},
        {"check bits wrong", withHeader(0x78, 0x02), false},
        {"a 64 KiB window", withHeader(0x88, 0x1C), false},
        {"method 9", withHeader(0x79, 0x18), false},
        {"a preset dictionary", withHeader(0x78, 0xBB), false},
        {"checksum wrong", badChecksum, false},
        {"checksum cut", good.substr(0, good.size() - 1), false},
        {"block cut", good.substr(0, 3), false},
        {"header alone", good.substr(0, 2), false},
        {"stored block", Wrapped(std::string("\x01\x03\x00\xfc\xff", 5) + "abc"), true},
        {"stored block, complement wrong",
         Wrapped(std::string("\x01\x03\x00\xfd\xff", 5) + "abc"), false},
        {"stored block cut", Wrapped(std::string("\x01\x03\x00\xfc\xff", 5) + "ab"), false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(Ours(test.stream).finished, test.finished);
        EXPECT_EQ(Zlib(test.stream).finished, test.finished);
    }
}

// Damaged copies of real streams (fixed, dynamic and stored blocks): the walker and zlib must
// agree on every one.
TEST(InflateRulesTest, AgreesWithZlibOnDamagedStreams) {
    std::string data;
    for (int i = 0; i < 40009; ++i) {
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
            ASSERT_TRUE(Ours(stream).finished);
            for (int round = 0; round < 250; ++round) {
                std::string damaged = stream;
                const int flips = 1 + int(random() % 3);
                for (int flip = 0; flip < flips; ++flip) {
                    // The header stays: zlib's window then never decides a case.
                    const size_t at = 2 + random() % (damaged.size() - 6);
                    damaged[at] = char(damaged[at] ^ (1 << (random() % 8)));
                }
                // Where zlib finds the blocks sound, the checksum is mended to what it made of
                // them, so the blocks and not the checksum decide.
                size_t used = 0;
                const Outcome unchecked = Zlib(damaged, false, &used);
                if (unchecked.finished) {
                    const uint32_t adler = libdeflate_adler32(1, unchecked.output.data(),
                                                              unchecked.output.size());
                    for (int i = 0; i < 4; ++i) {
                        damaged[used - 4 + size_t(i)] = char(adler >> (24 - 8 * i));
                    }
                }
                const Outcome zlib = Zlib(damaged);
                const Outcome ours = Ours(damaged);
                const Outcome stepped = OursStepped(damaged, random);
                SCOPED_TRACE("strategy " + std::to_string(strategy) + " level " +
                             std::to_string(level) + " round " + std::to_string(round));
                EXPECT_EQ(zlib.finished, unchecked.finished);
                EXPECT_EQ(ours.finished, zlib.finished);
                if (ours.finished && zlib.finished) {
                    EXPECT_TRUE(ours.output == zlib.output);
                }
                // A refused stream's last few bytes may differ: a copy cut at the window's end
                // is refused there, in one call only once it is written whole.
                EXPECT_EQ(stepped.finished, ours.finished);
                const size_t common = std::min(stepped.output.size(), ours.output.size());
                EXPECT_TRUE(ours.finished ? stepped.output == ours.output
                                          : stepped.output.compare(0, common, ours.output, 0,
                                                                   common) == 0);
                refused += zlib.finished ? 0 : 1;
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
