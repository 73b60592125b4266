// The fast PNG decoder against FreeImage's own loader: the same bitmaps and the same TGA bytes
// for every corpus file and every kind of PNG, and the library's loader for what it leaves.
#include "engine_test_support.h"

#include "engine/mapped_bitmap.h"
#include "engine/png_chunks.h"
#include "engine/png_prefetch.h"
#include "engine/png_probe.h"
#include "engine/png_reader.h"
#include "settings/settings.h"
#include "support/bitmap_difference.h"

#include <libdeflate.h>

#include <sched.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>
#include <tuple>

namespace millconv::test {
namespace {

namespace fs = std::filesystem;

// Every load in its lifetime goes to the library's loader.
class LibraryOnly {
  public:
    LibraryOnly() { setenv(kFastPngVariable, "0", 1); }
    ~LibraryOnly() { unsetenv(kFastPngVariable); }
    LibraryOnly(const LibraryOnly&) = delete;
    LibraryOnly& operator=(const LibraryOnly&) = delete;
};

Bitmap LibraryLoad(const std::string& path) {
    LibraryOnly off;
    return LoadPng(path);
}

std::vector<std::string> CorpusPngs() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(MILLCONV_CORPUS_DIR)) {
        if (entry.path().extension() == ".png") {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// --- PNGs made byte by byte ---

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string covered = type + data;
    return BigEndian(uint32_t(data.size())) + covered +
           BigEndian(libdeflate_crc32(0, covered.data(), covered.size()));
}

std::string Zlib(const std::string& raw, int level = 6) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    std::string out(libdeflate_zlib_compress_bound(compressor, raw.size()), '\0');
    out.resize(
        libdeflate_zlib_compress(compressor, raw.data(), raw.size(), out.data(), out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

// The stream header's window set to 2^(8 + windowCode) bytes, its check bits made right again.
std::string WithWindow(std::string stream, unsigned windowCode) {
    stream[0] = char(windowCode << 4 | 8);
    const unsigned flags = uint8_t(stream[1]) & 0xE0;
    stream[1] = char(flags + (31 - (uint8_t(stream[0]) * 256 + flags) % 31) % 31);
    return stream;
}

struct PngCase {
    const char* name;
    uint8_t colorType;
    uint8_t depth;
    bool keyed = false;         // tRNS: one transparent colour, or three palette alphas
    std::string ancillary = {}; // chunks between the header (and palette) and the pixel data
};

// Lengths of the filtered rows in stream order, filter byte included, passes one after another.
std::vector<size_t> RowLengths(const PngHeader& header) {
    static constexpr unsigned kStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0},
                                              {0, 2}, {1, 0}, {0, 1}};
    static constexpr unsigned kStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4},
                                             {2, 4}, {2, 2}, {1, 2}};
    std::vector<size_t> lengths;
    const int passes = header.interlace != 0 ? 7 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const unsigned x0 = passes == 1 ? 0 : kStart[pass][0];
        const unsigned y0 = passes == 1 ? 0 : kStart[pass][1];
        const unsigned dx = passes == 1 ? 1 : kStep[pass][0];
        const unsigned dy = passes == 1 ? 1 : kStep[pass][1];
        const uint32_t columns = header.width > x0 ? (header.width - x0 + dx - 1) / dx : 0;
        const uint32_t rows = header.height > y0 ? (header.height - y0 + dy - 1) / dy : 0;
        for (uint32_t y = 0; columns > 0 && y < rows; ++y) {
            lengths.push_back(1 + header.RowBytes(columns));
        }
    }
    return lengths;
}

// Rows of varied bytes, each filter type in turn; the first row is unfiltered and starts with
// the transparent colour, so a keyed image always holds a hidden pixel.
std::string FilteredRows(const PngHeader& header, const std::string& firstSamples) {
    std::string data;
    uint32_t seed = 12345;
    size_t row = 0;
    for (const size_t length : RowLengths(header)) {
        data += char(row % 5);
        for (size_t i = 1; i < length; ++i) {
            seed = seed * 1103515245 + 12345;
            data += char(seed >> 16);
        }
        if (row == 0) {
            data.replace(data.size() - (length - 1), std::min(firstSamples.size(), length - 1),
                         firstSamples.substr(0, length - 1));
        }
        ++row;
    }
    return data;
}

struct BuiltPng {
    std::string header; // signature, IHDR, PLTE, tRNS and the ancillary chunks
    std::string pixels; // the filtered rows
};

BuiltPng BuildPng(const PngCase& kind, uint32_t width, uint32_t height, uint8_t interlace) {
    PngHeader header;
    header.width = width;
    header.height = height;
    header.bitDepth = kind.depth;
    header.colorType = kind.colorType;
    header.interlace = interlace;
    std::string ihdr = BigEndian(width) + BigEndian(height);
    ihdr += {char(kind.depth), char(kind.colorType), 0, 0, char(interlace)};
    BuiltPng png;
    png.header =
        std::string(reinterpret_cast<const char*>(kPngSignature.data()), 8) + Chunk("IHDR", ihdr);
    std::string key;
    if (kind.colorType == 3) {
        // Fewer entries than the depth allows, so indices past the palette occur too.
        const unsigned entries = std::min(6u, 1u << kind.depth);
        std::string palette;
        for (unsigned i = 0; i < entries; ++i) {
            palette += {char(40 * i + 1), char(200 - 30 * i), char(17 * i + 90)};
        }
        png.header += Chunk("PLTE", palette);
        if (kind.keyed) {
            png.header += Chunk("tRNS", std::string("\x00\x80\xff", 3));
        }
    } else if (kind.keyed) {
        const unsigned samples = kind.colorType == 2 ? 3 : 1;
        const uint16_t value = kind.depth == 16 ? 0x1234 : uint16_t((1u << kind.depth) - 2);
        std::string trns;
        for (unsigned i = 0; i < samples; ++i) {
            trns += {char(value >> 8), char(value)};
            key += kind.depth == 16 ? std::string{char(value >> 8), char(value)}
                                    : std::string(1, char(value));
        }
        if (kind.depth < 8) {
            key = std::string(1, char(value << (8 - kind.depth))); // the first pixel only
        }
        png.header += Chunk("tRNS", trns);
    }
    png.header += kind.ancillary;
    png.pixels = FilteredRows(header, key);
    return png;
}

std::string Assemble(const BuiltPng& png, const std::string& stream, size_t idatSize = 0) {
    std::string file = png.header;
    const size_t step = idatSize == 0 ? std::max<size_t>(stream.size(), 1) : idatSize;
    for (size_t at = 0; at < stream.size(); at += step) {
        file += Chunk("IDAT", stream.substr(at, step));
    }
    return file + Chunk("IEND", "");
}

const std::string kPlainGamma = Chunk("gAMA", BigEndian(45455));
const std::string kMetricDensity = Chunk("pHYs", BigEndian(3780) + BigEndian(2834) + '\x01');

const std::vector<PngCase> kKinds = {
    {"grey1", 0, 1},
    {"grey1-keyed", 0, 1, true},
    {"grey2", 0, 2, false, Chunk("bKGD", std::string("\x00\x02", 2))},
    {"grey4-keyed", 0, 4, true, kMetricDensity},
    {"grey8", 0, 8, false, kPlainGamma + Chunk("bKGD", std::string("\x00\x7f", 2))},
    {"grey8-keyed", 0, 8, true},
    {"grey16", 0, 16},
    {"grey16-keyed", 0, 16, true},
    {"rgb8", 2, 8, false, Chunk("sRGB", std::string(1, '\0')) + kPlainGamma + kMetricDensity},
    {"rgb8-keyed", 2, 8, true, Chunk("bKGD", std::string("\x00\x10\x00\x20\x00\x30", 6))},
    {"rgb16", 2, 16, false, Chunk("tEXt", std::string("Comment\0made by hand", 20))},
    {"rgb16-keyed", 2, 16, true},
    {"palette1", 3, 1},
    {"palette2", 3, 2, false, Chunk("bKGD", std::string("\x01", 1))},
    {"palette4-alphas", 3, 4, true},
    {"palette8", 3, 8},
    {"palette8-alphas", 3, 8, true, kMetricDensity},
    {"grey-alpha8", 4, 8},
    {"grey-alpha16", 4, 16},
    {"rgba8", 6, 8, false, kPlainGamma},
    {"rgba16", 6, 16},
};

class PngReaderTest : public EngineTest {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Loads path both ways, expects the same bitmap and returns the fast load's route.
    PngRoute CompareLoads(const std::string& path) {
        SCOPED_TRACE(path);
        PngRoute route = PngRoute::Refused;
        const Bitmap fast = LoadPng(path, &route);
        const Bitmap library = LibraryLoad(path);
        EXPECT_EQ(BitmapDifference(fast.get(), library.get()), "");
        return route;
    }
};

TEST_F(PngReaderTest, EveryCorpusFileLoadsAsTheLibraryLoadsIt) {
    const std::vector<std::string> files = CorpusPngs();
    ASSERT_GT(files.size(), 150u);
    int fast = 0;
    for (const std::string& path : files) {
        const PngRoute route = CompareLoads(path);
        fast += route == PngRoute::Fast || route == PngRoute::Streamed ? 1 : 0;
    }
    // Files with a gamma to correct (most of PngSuite's) and the broken ones are the library's.
    EXPECT_GT(fast, 80);
}

// Files the fuzzer found where the two decoders once parted.
TEST_F(PngReaderTest, FuzzFindingsLoadAsTheLibraryLoadsThem) {
    const fs::path folder = fs::path(MILLCONV_SOURCE_DIR) / "fuzz/corpus/png_reader";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        CompareLoads(entry.path().string());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST_F(PngReaderTest, EveryKindOfPngTakesTheFastPathWithTheLibrarysResult) {
    for (const PngCase& kind : kKinds) {
        for (const uint8_t interlace : {uint8_t(0), uint8_t(1)}) {
            // Odd sizes leave partial bytes, empty passes and row padding to get right.
            for (const auto& [width, height] : {std::pair{13u, 9u}, std::pair{1u, 1u}}) {
                SCOPED_TRACE(std::string(kind.name) + (interlace ? " interlaced " : " ") +
                             std::to_string(width) + "x" + std::to_string(height));
                const BuiltPng png = BuildPng(kind, width, height, interlace);
                const std::string path =
                    Write("kind.png", Assemble(png, Zlib(png.pixels), width == 1 ? 0 : 7));
                EXPECT_EQ(CompareLoads(path), interlace ? PngRoute::Fast : PngRoute::Streamed);
            }
        }
    }
}

// From 2 MiB of pixels a bitmap gets pixel memory of its own (huge pages where the system has
// them): the library's bitmap all the same, in its copies too, for a palette, a keyed grey and
// a padded colour image, on both sides of the threshold; the memory goes when the bitmap goes.
TEST_F(PngReaderTest, LargeBitmapsMapTheirPixelsAndGiveThemBack) {
    const auto kind = [](std::string_view name) {
        return *std::ranges::find(kKinds, name, &PngCase::name);
    };
    const struct {
        PngCase kind;
        uint32_t width;
        uint32_t height;
        bool mapped;
    } cases[] = {
        {kind("palette8-alphas"), 2048, 1024, true}, // exactly 2 MiB
        {kind("palette8-alphas"), 2048, 1023, false},
        {kind("grey8-keyed"), 2047, 1025, true}, // rows padded to 2048 bytes
        {kind("rgb8"), 1001, 700, true},         // rows of 3003 bytes padded to 3004
    };
    const int before = MappedBitmapCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind.name) + " " + std::to_string(c.width) + "x" +
                     std::to_string(c.height));
        const BuiltPng png = BuildPng(c.kind, c.width, c.height, 0);
        const std::string path = Write("big.png", Assemble(png, Zlib(png.pixels, 1)));
        {
            PngRoute route = PngRoute::Refused;
            const Bitmap fast = LoadPng(path, &route);
            const Bitmap library = LibraryLoad(path);
            EXPECT_EQ(route, PngRoute::Streamed);
            EXPECT_EQ(BitmapDifference(fast.get(), library.get()), "");
            EXPECT_EQ(MappedBitmapCount(), before + (c.mapped ? 1 : 0));
            const Bitmap copy(FreeImage_Clone(fast.get()));
            EXPECT_EQ(BitmapDifference(copy.get(), library.get()), "");
        }
        EXPECT_EQ(MappedBitmapCount(), before);
    }
}

// A large 24-bit bitmap becomes 32-bit in mapped pixel memory, as FreeImage would make it:
// pixels, resolution, metadata and no transparency; a smaller one, or any other depth, is left
// to FreeImage.
TEST(MappedBitmap, ConvertsTo32BitsAsTheLibraryDoes) {
    const auto make = [](unsigned width, unsigned height, unsigned bpp) {
        Bitmap bitmap(FreeImage_Allocate(int(width), int(height), int(bpp)));
        for (unsigned y = 0; y < height; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap.get(), int(y));
            for (unsigned i = 0; i < FreeImage_GetLine(bitmap.get()); ++i) {
                line[i] = BYTE(i * 7 + y * 13);
            }
        }
        FreeImage_SetDotsPerMeterX(bitmap.get(), 3780);
        FreeImage_SetDotsPerMeterY(bitmap.get(), 2834);
        FITAG* tag = FreeImage_CreateTag();
        const char comment[] = "made by hand";
        FreeImage_SetTagKey(tag, "Comment");
        FreeImage_SetTagType(tag, FIDT_ASCII);
        FreeImage_SetTagCount(tag, sizeof comment);
        FreeImage_SetTagLength(tag, sizeof comment);
        FreeImage_SetTagValue(tag, comment);
        FreeImage_SetMetadata(FIMD_COMMENTS, bitmap.get(), "Comment", tag);
        FreeImage_DeleteTag(tag);
        return bitmap;
    };
    const int before = MappedBitmapCount();
    const Bitmap large = make(1001, 524, 24); // 4004-byte rows: just over 2 MiB at 32 bits
    {
        const Bitmap mapped(ConvertTo32BitsMapped(large.get()));
        const Bitmap library(FreeImage_ConvertTo32Bits(large.get()));
        ASSERT_NE(mapped, nullptr);
        EXPECT_EQ(MappedBitmapCount(), before + 1);
        EXPECT_EQ(BitmapDifference(mapped.get(), library.get()), "");
        EXPECT_EQ(FreeImage_IsTransparent(mapped.get()), FreeImage_IsTransparent(library.get()));
        EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_COMMENTS, mapped.get()), 1u);
    }
    EXPECT_EQ(MappedBitmapCount(), before);
    EXPECT_EQ(ConvertTo32BitsMapped(make(1001, 523, 24).get()), nullptr);
    EXPECT_EQ(ConvertTo32BitsMapped(make(1001, 524, 8).get()), nullptr);
    EXPECT_EQ(ConvertTo32BitsMapped(make(1001, 524, 32).get()), nullptr);
}

// Images far larger than the reader's window: copies that reach almost 32 KiB back across its
// slides, stored blocks, and pixel data cut into chunks as small as a byte.
TEST_F(PngReaderTest, LargeImagesStreamAsTheLibraryLoadsThem) {
    const PngCase kinds[] = {{"rgb8", 2, 8}, {"rgba16", 6, 16}};
    for (const PngCase& kind : kinds) {
        const BuiltPng png = BuildPng(kind, 701, 200, 0);
        const size_t rowLength = png.pixels.size() / 200;
        const size_t period = 32000 / rowLength; // rows, so that the distance stays in reach
        std::string pixels = png.pixels;
        for (size_t y = period; y < 200; ++y) {
            pixels.replace(y * rowLength, rowLength, pixels, (y - period) * rowLength, rowLength);
        }
        for (const int level : {0, 9}) {
            const std::string stream = Zlib(pixels, level);
            for (const size_t idatSize : {size_t(0), size_t(4093), size_t(1)}) {
                if (level == 0 && idatSize == 1) {
                    continue; // a million chunks say nothing the 4093-byte ones do not
                }
                SCOPED_TRACE(std::string(kind.name) + " level " + std::to_string(level) +
                             " chunks of " + std::to_string(idatSize));
                EXPECT_EQ(CompareLoads(Write("large.png", Assemble(png, stream, idatSize))),
                          PngRoute::Streamed);
            }
        }
        // Empty IDAT chunks between the others (some encoders write them); and the same file
        // read by a thread that may use one processor only, so no helper can be had.
        const std::string stream = Zlib(pixels, 9);
        const std::string withEmpty = png.header + Chunk("IDAT", stream.substr(0, 5000)) +
                                      Chunk("IDAT", "") + Chunk("IDAT", stream.substr(5000)) +
                                      Chunk("IDAT", "") + Chunk("IEND", "");
        const std::string emptyPath = Write("empty.png", withEmpty);
        EXPECT_EQ(CompareLoads(emptyPath), PngRoute::Streamed);
        std::thread([&] {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(sched_getcpu(), &one);
            ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
            EXPECT_EQ(CompareLoads(emptyPath), PngRoute::Streamed);
        }).join();
        // An unknown filter on the last row, met after the rows before it were written, leaves
        // the file to the library.
        std::string badFilter = pixels;
        badFilter[badFilter.size() - rowLength] = 5;
        SCOPED_TRACE(std::string(kind.name) + " bad filter");
        EXPECT_EQ(CompareLoads(Write("bad.png", Assemble(png, Zlib(badFilter)))),
                  PngRoute::Library);
    }
}

// Images of 16 MiB of pixel data or more are unfiltered by a helper thread: such an image loads
// as the library loads it, and a bad filter on its last row, met by the helper after it wrote
// every row before, leaves the file to the library.
TEST_F(PngReaderTest, ImagesForTheHelperThreadLoadAsTheLibraryLoadsThem) {
    const BuiltPng png = BuildPng({"rgba8", 6, 8}, 2048, 2048, 0); // 16 MiB and a byte a row
    const size_t rowLength = png.pixels.size() / 2048;
    EXPECT_EQ(CompareLoads(Write("helper.png", Assemble(png, Zlib(png.pixels, 1)))),
              PngRoute::Streamed);
    std::string badFilter = png.pixels;
    badFilter[badFilter.size() - rowLength] = 5;
    EXPECT_EQ(CompareLoads(Write("helper-bad.png", Assemble(png, Zlib(badFilter, 1)))),
              PngRoute::Library);
}

// Whether a decode ahead is ready, given it up to tries hundredths of a second to end.
bool WaitUntilReady(int tries = 300) {
    for (; tries > 0 && !PrefetchedPngReady(); --tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return PrefetchedPngReady();
}

// A file decoded ahead is given once, to a request for the same file (by another spelling of
// its path too), and only when the streamed decoder took it; it is ready once decoded.
TEST_F(PngReaderTest, PrefetchGivesTheStreamedBitmapOnceForItsFile) {
    const PngCase rgb{"rgb8", 2, 8};
    const BuiltPng flat = BuildPng(rgb, 13, 9, 0);
    const BuiltPng interlaced = BuildPng(rgb, 13, 9, 1);
    const std::string path = Write("ahead.png", Assemble(flat, Zlib(flat.pixels)));
    const std::string other = Write("other.png", Assemble(flat, Zlib(flat.pixels)));
    const std::string passes = Write("passes.png", Assemble(interlaced, Zlib(interlaced.pixels)));
    const Bitmap expected = LoadPng(path);
    ASSERT_TRUE(expected);

    EXPECT_FALSE(PrefetchedPngReady()) << "nothing decoded ahead";
    PrefetchPng(path);
    EXPECT_TRUE(WaitUntilReady());
    EXPECT_FALSE(TakePrefetchedPng(other));
    EXPECT_TRUE(PrefetchedPngReady()) << "still there for its own file";
    const std::string respelt = folder_ / "./ahead.png";
    const Bitmap ahead = TakePrefetchedPng(respelt);
    EXPECT_EQ(BitmapDifference(ahead.get(), expected.get()), "");
    EXPECT_FALSE(TakePrefetchedPng(path)) << "given once";

    for (const std::string& left : {passes, std::string(folder_ / "missing.png")}) {
        SCOPED_TRACE(left);
        PrefetchPng(left);
        EXPECT_FALSE(WaitUntilReady(20)) << "no decode to take";
        EXPECT_FALSE(TakePrefetchedPng(left));
    }
    PrefetchPng(path);
    DropPrefetchedPng();
    EXPECT_FALSE(PrefetchedPngReady());
    EXPECT_FALSE(TakePrefetchedPng(path));
}

TEST_F(PngReaderTest, FilesTheFastPathLeavesGoToTheLibrary) {
    const PngCase rgb{"rgb8", 2, 8};
    const BuiltPng png = BuildPng(rgb, 13, 9, 0);
    const std::string stream = Zlib(png.pixels);
    const auto withChunk = [&](const std::string& chunk) {
        BuiltPng changed = png;
        changed.header += chunk;
        return Assemble(changed, stream);
    };
    const std::string kRgbKey("\0\x11\0\x22\0\x33", 6);
    std::string badCrc = Assemble(png, stream);
    badCrc[badCrc.size() - 13] ^= 1; // last byte of the IDAT's CRC
    const struct {
        const char* name;
        std::string bytes;
        PngRoute route;
    } cases[] = {
        // Gamma correction is the library's; values near sRGB's are left alone by both.
        {"gamma 1.0", withChunk(Chunk("gAMA", BigEndian(100000))), PngRoute::Library},
        {"gamma 0.43999", withChunk(Chunk("gAMA", BigEndian(43999))), PngRoute::Library},
        {"gamma 0.44", withChunk(Chunk("gAMA", BigEndian(44000))), PngRoute::Streamed},
        {"gamma 0.47", withChunk(Chunk("gAMA", BigEndian(47000))), PngRoute::Streamed},
        {"gamma 0.47001", withChunk(Chunk("gAMA", BigEndian(47001))), PngRoute::Library},
        {"unknown critical chunk", withChunk(Chunk("CRIT", "x")), PngRoute::Library},
        {"private ancillary chunk", withChunk(Chunk("prIv", "x")), PngRoute::Streamed},
        {"bad IDAT CRC", badCrc, PngRoute::Library},
        {"tRNS of the wrong size", withChunk(Chunk("tRNS", "ab")), PngRoute::Library},
        // The loader reads a suggested palette after tRNS in a way of its own.
        {"palette, then tRNS", withChunk(Chunk("PLTE", "abcdef") + Chunk("tRNS", kRgbKey)),
         PngRoute::Streamed},
        {"tRNS, then palette", withChunk(Chunk("tRNS", kRgbKey) + Chunk("PLTE", "abcdef")),
         PngRoute::Library},
        // A 1 KiB window holds the whole 360-byte image; a 256-byte one cannot.
        {"small window", Assemble(png, WithWindow(stream, 2)), PngRoute::Streamed},
        {"window too small", Assemble(png, WithWindow(stream, 0)), PngRoute::Library},
        {"truncated data", Assemble(png, stream.substr(0, stream.size() / 2)), PngRoute::Library},
        {"no end chunk", png.header + Chunk("IDAT", stream), PngRoute::Library},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(CompareLoads(Write("case.png", test.bytes)), test.route);
    }
}

TEST_F(PngReaderTest, DataPastTheImageIsNeverInflated) {
    // 16 rows of 16 RGB pixels, then 4 MiB more of the same stream, in chunks no longer than
    // the library's loader takes for an image of this size.
    const PngCase rgb{"rgb8", 2, 8};
    const BuiltPng png = BuildPng(rgb, 16, 16, 0);
    const std::string stream = Zlib(png.pixels + std::string(4 << 20, '\0'));
    BuiltPng corrected = png;
    corrected.header += Chunk("gAMA", BigEndian(100000));
    // Fast or not, the library decodes a copy cut at the image's end: what it decodes from the
    // whole file when that ends well.
    for (const BuiltPng& kind : {png, corrected}) {
        EXPECT_EQ(CompareLoads(Write("extra.png", Assemble(kind, stream, 800))),
                  PngRoute::BoundedLibrary);
    }
    // A stream that never ends fails in the library's loader once it runs out of data; cut at
    // the image's end, the image converts.
    const std::string whole = Zlib(png.pixels + std::string(4 << 20, '\7'));
    const std::string open = whole.substr(0, whole.size() - 8);
    const std::string path = Write("open.png", Assemble(png, open, 800));
    PngRoute route = PngRoute::Refused;
    EXPECT_TRUE(LoadPng(path, &route));
    EXPECT_EQ(route, PngRoute::BoundedLibrary);
    EXPECT_FALSE(LibraryLoad(path));
}

TEST(PngProbeTest, RefusesDataThatCannotFillTheDeclaredImage) {
    // 1032 rows of 100 grey bytes and a filter byte need 1032 x 101 bytes: exactly what 100
    // compressed bytes can give at deflate's highest ratio; one row more is refused.
    for (const auto& [height, refused] : {std::pair{1032u, false}, std::pair{1033u, true}}) {
        const std::string ihdr =
            BigEndian(100) + BigEndian(height) + std::string("\x08\0\0\0\0", 5);
        const std::string file =
            std::string(reinterpret_cast<const char*>(kPngSignature.data()), 8) +
            Chunk("IHDR", ihdr) + Chunk("IDAT", std::string(60, 'x')) +
            Chunk("IDAT", std::string(40, 'y')) + Chunk("IEND", "");
        const std::string problem = PngProbeProblem(
            PngBytes(reinterpret_cast<const unsigned char*>(file.data()), file.size()));
        EXPECT_EQ(!problem.empty(), refused) << height << ": " << problem;
        if (refused) {
            EXPECT_NE(problem.find("100 compressed bytes"), std::string::npos) << problem;
        }
    }
}

// One corpus file of each kind the fast decoder takes (colour type, depth, transparency,
// interlace), so the slow whole-conversion comparison sees every kind once.
std::vector<std::string> OneFilePerKind() {
    std::map<std::tuple<int, int, bool, int>, std::string> kinds;
    for (const std::string& path : CorpusPngs()) {
        PngFile file;
        PngRoute route = PngRoute::Refused;
        if (!file.Open(path) || !LoadPng(path, &route) ||
            (route != PngRoute::Fast && route != PngRoute::Streamed)) {
            continue;
        }
        const PngLayout layout = ReadPngLayout(file.View());
        const PngHeader& header = layout.header;
        kinds.emplace(std::tuple{int(header.colorType), int(header.bitDepth),
                                 layout.alphaCount > 0 || layout.hasTransparentSample,
                                 int(header.interlace)},
                      path);
    }
    std::vector<std::string> files;
    for (const auto& [kind, path] : kinds) {
        files.push_back(path);
    }
    return files;
}

// The whole conversion with every TGA choice: the bytes written after a fast load equal those
// after the library's.
TEST_F(PngReaderTest, TgaBytesMatchForEveryOutputChoice) {
    const std::vector<std::string> files = OneFilePerKind();
    ASSERT_GT(files.size(), 25u);
    int compared = 0;
    for (const int depth : {0, 8, 16, 24, 32}) {
        for (const int compression : {0, 1}) {
            for (const int origin : {0, 1}) {
                for (const int alpha : {0, 1}) {
                    gSettings.output.tgaBpp = depth;
                    gSettings.output.tgaCompression = compression;
                    gSettings.output.tgaOrigin = origin;
                    gSettings.output.tgaAlpha = alpha;
                    UseOutputFormat("tga");
                    for (const std::string& path : files) {
                        SCOPED_TRACE(path + " depth " + std::to_string(depth) + " rle " +
                                     std::to_string(compression) + " origin " +
                                     std::to_string(origin) + " alpha " + std::to_string(alpha));
                        gJob.currentInput = path;
                        ASSERT_TRUE(ConvertFile());
                        const std::string fast = ReadAll(gJob.outputPath);
                        {
                            LibraryOnly off;
                            ASSERT_TRUE(ConvertFile());
                        }
                        ASSERT_EQ(fast, ReadAll(gJob.outputPath));
                        ++compared;
                    }
                }
            }
        }
    }
    EXPECT_EQ(compared, int(files.size()) * 40);
}

} // namespace
} // namespace millconv::test
