// Console runs with hostile inputs and conditions: escaping names, huge and lying images, file
// size limits, killed writers, planted locks and oversized values must all end in a clear
// failure, never in a wrong file, a crash or a leftover.
#include "base/product.h"
#include "engine/bitmap.h"
#include "engine/png_probe.h"
#include "engine/size_limits.h"
#include "platform/atomic_file.h"
#include "platform/instance_lock.h"
#include "platform/sweep_marks.h"
#include "support/limited_run.h"
#include "support/process.h"
#include "support/test_images.h"

#include <FreeImage.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace millconv {
namespace {

namespace fs = std::filesystem;
using test::RunResult;
using test::TempFolder;

using test::CapMemory;
using test::kSanitized;
using test::LimitedRun;
using test::RunMillconv;
using test::SolidImage;
using test::WritePng;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

uint32_t Crc32(const std::string& bytes) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// A chunk with a valid CRC; length overrides the declared length when given.
std::string Chunk(const std::string& type, const std::string& data, int64_t length = -1) {
    const uint32_t declared = length < 0 ? uint32_t(data.size()) : uint32_t(length);
    return BigEndian(declared) + type + data + BigEndian(Crc32(type + data));
}

const std::string kSignature = "\x89PNG\r\n\x1a\n";

// A PNG that declares width x height pixels but carries only a few bytes of data.
std::string DeclaredImage(uint32_t width, uint32_t height, char depth, char colourType) {
    const std::string header =
        BigEndian(width) + BigEndian(height) + depth + colourType + std::string(3, '\0');
    const std::string data("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    return kSignature + Chunk("IHDR", header) + Chunk("IDAT", data) + Chunk("IEND", "");
}

class HostileRun : public ::testing::Test {
  protected:
    void SetUp() override {
        FreeImage_Initialise(FALSE);
        fs::create_directories(out_);
        WritePng(SolidImage(5, 3, 0x20, 0x60, 0xA0).get(), input_);
    }

    std::string File(const std::string& name) const { return folder_ / name; }

    void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    LimitedRun Convert(const std::string& input, std::vector<std::string> options = {},
                       const std::function<void()>& setup = {}) {
        std::vector<std::string> arguments{"-i", input, "-o", out_};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunMillconv(folder_, arguments, setup);
    }

    // The id of a process that has ended, and a temporary file of owner's in the output folder.
    static pid_t DeadProcessId() {
        const pid_t dead = fork();
        if (dead == 0) {
            _exit(0);
        }
        waitpid(dead, nullptr, 0);
        return dead;
    }
    std::string PlantLeftover(pid_t owner) {
        const std::string path = out_ + "/.millconv-" + std::to_string(owner) + "-00000000abcd.tmp";
        WriteBytes(path, "partial");
        return path;
    }
    // The sweep marks in the runs' private folder.
    std::vector<fs::path> SweepMarks() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder_.Path())) {
            if (entry.path().filename().string().starts_with("millconv-swept-")) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    std::vector<std::string> OutputNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TempFolder folder_;
    std::string out_ = folder_ / "o/x";
    std::string input_ = folder_ / "a.png";
};

TEST_F(HostileRun, NamesStayInsideTheOutputFolder) {
    for (const std::string& mask :
         {std::string("../../escaped.%ext%"), std::string("sub/../../escaped.%ext%"),
          File("escaped.%ext%")}) {
        const LimitedRun run = Convert(input_, {"-d", "--filename-mask=" + mask});
        EXPECT_EQ(run.result.status, 1) << mask;
        EXPECT_TRUE(Contains(run.result.out, "Conversion stopped")) << mask;
        EXPECT_TRUE(Contains(run.result.err, "leaves the output folder")) << run.result.err;
    }
    EXPECT_FALSE(fs::exists(File("escaped.tga")));
    EXPECT_FALSE(fs::exists(File("o/escaped.tga")));

    // Subfolders inside the output folder, and names that merely begin with dots, stay allowed.
    fs::create_directories(out_ + "/sub");
    EXPECT_EQ(Convert(input_, {"--filename-mask=sub/%filename%.%ext%"}).result.status, 0);
    EXPECT_TRUE(fs::exists(out_ + "/sub/a.tga"));
    EXPECT_EQ(Convert(input_, {"--filename-mask=..a.%ext%"}).result.status, 0);
    EXPECT_TRUE(fs::exists(out_ + "/..a.tga"));
}

TEST_F(HostileRun, SidesOverTheTgaLimitFailBeforeSaving) {
    WritePng(SolidImage(65536, 2, 1, 2, 3).get(), File("wide.png"));
    LimitedRun run = Convert(File("wide.png"));
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Conversion stopped"));
    EXPECT_TRUE(Contains(run.result.err, "65535")) << run.result.err;
    EXPECT_TRUE(OutputNames().empty());

    WritePng(SolidImage(65535, 2, 1, 2, 3).get(), File("widest.png"));
    ASSERT_EQ(Convert(File("widest.png")).result.status, 0);
    Bitmap written(FreeImage_Load(FIF_TARGA, (out_ + "/widest.tga").c_str(), 0));
    ASSERT_TRUE(written);
    EXPECT_EQ(FreeImage_GetWidth(written.get()), 65535u);

    // A resize past the limit fails too, before the pixels are made.
    run = Convert(input_, {"--width=65536", "--height=10"});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.err, "65535")) << run.result.err;
    EXPECT_FALSE(fs::exists(out_ + "/a.tga"));
    EXPECT_EQ(Convert(input_, {"--width=65535", "--height=10"}).result.status, 0);
}

TEST_F(HostileRun, DeclaredSizesAreRefusedBeforeDecoding) {
    struct Bomb {
        std::string name;
        std::string bytes;
        std::string limit; // named on stderr
    };
    const std::vector<Bomb> bombs = {
        {"deep.png", DeclaredImage(100000, 65536, 16, 6), "65535"},
        {"tall.png", DeclaredImage(1, 65536, 8, 0), "65535"},
        {"square.png", DeclaredImage(20000, 20000, 8, 0), "268435456"},
    };
    for (const Bomb& bomb : bombs) {
        WriteBytes(File(bomb.name), bomb.bytes);
        const LimitedRun run = Convert(File(bomb.name), {}, CapMemory);
        EXPECT_EQ(run.result.status, 1) << bomb.name;
        EXPECT_TRUE(Contains(run.result.out, "Conversion stopped")) << bomb.name;
        EXPECT_TRUE(Contains(run.result.err, bomb.limit)) << run.result.err;
        EXPECT_EQ(std::count(run.result.err.begin(), run.result.err.end(), '\n'), 1)
            << run.result.err;
        EXPECT_LT(run.seconds, kSanitized ? 5.0 : 1.0) << bomb.name;
        EXPECT_LT(run.peakKiB, (kSanitized ? 400 : 50) * 1024) << bomb.name;
    }
    EXPECT_TRUE(OutputNames().empty());
}

TEST_F(HostileRun, DefaultBudgetHoldsAtItsEdgeFromTheHeaderAlone) {
    // The sides stay within 65535, so only the budget can refuse; the files hold no pixels a
    // decoder could use, so a pass or a refusal comes from the header.
    ASSERT_EQ(PixelBudget(), 268435456u);
    struct Edge {
        uint32_t width;
        uint32_t height;
        bool refused;
    };
    for (const Edge& edge :
         {Edge{16384, 16384, false}, Edge{16385, 16384, true}, Edge{16384, 16385, true},
          Edge{65535, 4096, false}, Edge{65535, 4097, true}}) {
        const std::string path = File("edge.png");
        WriteBytes(path, DeclaredImage(edge.width, edge.height, 8, 0));
        PngFile file;
        ASSERT_TRUE(file.Open(path));
        // The files hold no pixel data, so the data check refuses them all; only the budget's
        // own line tells the edge.
        const std::string problem = PngProbeProblem(file.View());
        EXPECT_EQ(Contains(problem, "budget of 268435456 pixels"), edge.refused)
            << edge.width << " x " << edge.height << ": " << problem;
    }
}

// An RGB PNG of width x height black pixels whose zlib stream goes on with extraMiB more
// MiB of zeros after the image, in IDAT chunks short enough for any loader to take.
std::string InflationBomb(uint32_t width, uint32_t height, char depth, uint32_t extraMiB,
                          const std::string& ancillary = {}) {
    const uint32_t rowBytes = 1 + width * 3 * uint32_t(depth / 8);
    const uint32_t imageBytes = height * rowBytes;
    std::string stream("\x78\xda", 2);
    // The image as one stored block, then copies of a block of 1 MiB of zeros.
    stream +=
        {'\0', char(imageBytes), char(imageBytes >> 8), char(~imageBytes), char(~imageBytes >> 8)};
    stream += std::string(imageBytes, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string zeros(1 << 20, '\0');
    std::string block(1 << 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = uInt(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = uInt(block.size());
    deflate(&z, Z_SYNC_FLUSH);
    block.resize(block.size() - z.avail_out);
    deflateEnd(&z);
    for (uint32_t i = 0; i < extraMiB; ++i) {
        stream += block;
    }
    stream += std::string("\x03\x00", 2); // an empty last block
    const uint64_t total = imageBytes + (uint64_t(extraMiB) << 20);
    stream += BigEndian(uint32_t(total % 65521) << 16 | 1); // Adler-32 of zeros
    const std::string header =
        BigEndian(width) + BigEndian(height) + depth + '\2' + std::string(3, '\0');
    std::string file = kSignature + Chunk("IHDR", header) + ancillary;
    for (size_t at = 0; at < stream.size(); at += 800) {
        file += Chunk("IDAT", stream.substr(at, 800));
    }
    return file + Chunk("IEND", "");
}

TEST_F(HostileRun, PixelDataIsBoundedByTheImage) {
    // A declared size within the budget whose data could not fill a thousandth of it is refused
    // from the chunk lengths; data going on for 10 GiB past a 16 x 16 image is never inflated.
    struct Case {
        std::string name;
        std::string bytes;
        int status;
        std::string error; // on stderr
    };
    const std::vector<Case> cases = {
        {"thin.png", DeclaredImage(16384, 16384, 16, 6), 1, "compressed bytes can hold"},
        {"bomb.png", InflationBomb(16, 16, 8, 10240), 0, ""},
        {"bomb-gamma.png", InflationBomb(16, 16, 16, 10240, Chunk("gAMA", BigEndian(100000))), 0,
         ""},
    };
    for (const Case& test : cases) {
        WriteBytes(File(test.name), test.bytes);
        const LimitedRun run = Convert(File(test.name), {}, CapMemory);
        EXPECT_EQ(run.result.status, test.status) << test.name << run.result.err;
        EXPECT_TRUE(Contains(run.result.err, test.error)) << run.result.err;
        EXPECT_LT(run.cpuSeconds, kSanitized ? 5.0 : 0.5) << test.name;
        EXPECT_LT(run.seconds, 10.0) << test.name;
        EXPECT_LT(run.peakKiB, (kSanitized ? 400 : 100) * 1024) << test.name;
    }
    EXPECT_EQ(OutputNames(), (std::vector<std::string>{"bomb-gamma.tga", "bomb.tga"}));
}

TEST_F(HostileRun, MaxPixelsSetsTheBudget) {
    // The 5 x 3 input has 15 pixels.
    LimitedRun run = Convert(input_, {"--max-pixels=14"});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.err, "budget of 14 pixels")) << run.result.err;
    EXPECT_FALSE(fs::exists(out_ + "/a.tga"));
    EXPECT_EQ(Convert(input_, {"--max-pixels=15"}).result.status, 0);

    for (const char* bad : {"--max-pixels=0", "--max-pixels=12x", "--max-pixels=-5"}) {
        run = Convert(input_, {bad});
        EXPECT_EQ(run.result.status, 1) << bad;
        EXPECT_TRUE(Contains(run.result.out, "Error: Invalid max-pixels value")) << bad;
    }
}

TEST_F(HostileRun, ChunksLongerThanTheFileAreRefused) {
    const std::string good = test::ReadWholeFile(input_);
    // A text chunk right after the header claiming 2 GiB.
    const size_t afterHeader = kSignature.size() + 25;
    std::string lying =
        good.substr(0, afterHeader) + Chunk("tEXt", "", 0x7FFFFFFF) + good.substr(afterHeader);
    WriteBytes(File("lying.png"), lying);
    LimitedRun run = Convert(File("lying.png"), {}, CapMemory);
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.err, "tEXt chunk declares 2147483647 bytes")) << run.result.err;
    EXPECT_LT(run.peakKiB, (kSanitized ? 400 : 50) * 1024);

    // One byte short of the data the last chunk declares.
    WriteBytes(File("short.png"), good.substr(0, good.size() - 1));
    run = Convert(File("short.png"));
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.err, "IEND chunk")) << run.result.err;
    EXPECT_TRUE(OutputNames().empty());
}

TEST_F(HostileRun, FramesWiderThanTheDrawingLayerAreDrawn) {
    WritePng(SolidImage(40000, 3, 0x80, 0x81, 0x82).get(), File("band.png"));
    const LimitedRun run =
        Convert(File("band.png"), {"--fr-solid-left=1", "--fr-solid-right=1", "--fr-solid-top=1",
                                   "--fr-solid-bottom=1", "--fr-solid-top-color=102030",
                                   "--fr-solid-bottom-color=405060", "--fr-solid-left-color=708090",
                                   "--fr-solid-right-color=A0B0C0"});
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    Bitmap written(FreeImage_Load(FIF_TARGA, (out_ + "/band.tga").c_str(), 0));
    ASSERT_TRUE(written);
    auto pixel = [&](unsigned x, unsigned rowFromTop) {
        RGBQUAD value{};
        FreeImage_GetPixelColor(written.get(), x, 2 - rowFromTop, &value);
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X%02X", value.rgbRed, value.rgbGreen,
                      value.rgbBlue);
        return std::string(text);
    };
    for (unsigned x : {2u, 4095u, 4096u, 20000u, 32767u, 32768u, 39997u}) {
        EXPECT_EQ(pixel(x, 0), "102030") << x;
        EXPECT_EQ(pixel(x, 1), "808182") << x;
        EXPECT_EQ(pixel(x, 2), "405060") << x;
    }
    EXPECT_EQ(pixel(0, 1), "708090");
    EXPECT_EQ(pixel(39999, 1), "A0B0C0");
}

TEST_F(HostileRun, WatermarksThatCannotBeDrawnFailTheFile) {
    const std::vector<std::string> font = {"--wm-font=DejaVu Sans", "--wm-font-size=40"};
    auto options = font;
    options.push_back("--wm-text=" + std::string(2000, 'W'));
    LimitedRun run = Convert(input_, options);
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Conversion stopped"));
    EXPECT_TRUE(Contains(run.result.err, "32767")) << run.result.err;
    EXPECT_TRUE(OutputNames().empty());

    options = font;
    options.push_back("--wm-text=Wm");
    EXPECT_EQ(Convert(input_, options).result.status, 0);
}

TEST_F(HostileRun, TextIsDrawnOnlyWhereItMeetsTheImage) {
    WritePng(SolidImage(10, 10, 0x10, 0x70, 0xC0).get(), File("small.png"));
    // A block of 26367 x 31043 pixels, of which the image shows 10 x 10.
    const LimitedRun run =
        Convert(File("small.png"), {"--wm-font=DejaVu Sans", "--wm-font-size=20000", "--wm-text=W"},
                CapMemory);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_FALSE(Contains(run.result.err, "millconv:")) << run.result.err;
    EXPECT_LT(run.seconds, kSanitized ? 20.0 : 5.0);
    EXPECT_LT(run.peakKiB, (kSanitized ? 400 : 100) * 1024);
    EXPECT_TRUE(fs::exists(out_ + "/small.tga"));
}

TEST_F(HostileRun, WatermarkPicturesPassTheInputLimits) {
    WriteBytes(File("huge.png"), DeclaredImage(20000, 20000, 8, 0));
    LimitedRun run = Convert(input_, {"--wm-image=" + File("huge.png")}, CapMemory);
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Error: Invalid watermark image")) << run.result.out;
    EXPECT_TRUE(Contains(run.result.err, "millconv: the watermark picture " + File("huge.png") +
                                             ": image of 20000 x 20000 pixels is over the budget"))
        << run.result.err;
    EXPECT_LT(run.seconds, kSanitized ? 5.0 : 0.5);
    EXPECT_LT(run.peakKiB, (kSanitized ? 400 : 100) * 1024);

    // A picture that decodes well is held to the pixel budget too: 64 x 64 is 4096 pixels.
    WritePng(SolidImage(64, 64, 0x90, 0x30, 0x50).get(), File("mark.png"));
    for (const auto& [budget, status] : {std::pair{"4095", 1}, std::pair{"4096", 0}}) {
        run = Convert(input_,
                      {"--wm-image=" + File("mark.png"), std::string("--max-pixels=") + budget});
        EXPECT_EQ(run.result.status, status) << budget << run.result.err;
    }
    EXPECT_EQ(OutputNames(), std::vector<std::string>{"a.tga"});
}

TEST_F(HostileRun, OverlongValuesAreRefusedNamingTheOption) {
    LimitedRun run = Convert(input_, {"--wm-text=" + std::string(64 * 1024 + 1, 'a')});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Error: Value of --wm-text is longer than 65536 bytes"))
        << run.result.out;
    run = Convert(input_, {"--filename-mask=\"" + std::string(64 * 1024 + 1, 'b') + "\""});
    EXPECT_TRUE(Contains(run.result.out, "Error: Value of --filename-mask is longer"));

    const std::string profile = File("p.ini");
    std::ofstream(profile) << "[CLI]\n--wm-text = " << std::string(8 << 20, 'c') << "\n";
    run = Convert(input_, {"--profile=" + profile});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Error: Value of --wm-text in profile " + profile +
                                             " is longer than 65536 bytes"))
        << run.result.out.substr(0, 300);
    EXPECT_LT(run.seconds, 10.0);
    EXPECT_TRUE(OutputNames().empty());
}

TEST_F(HostileRun, FileSizeLimitFailsTheWriteWithoutLeftovers) {
    WritePng(SolidImage(100, 100, 1, 2, 3).get(), File("hundred.png"));
    const LimitedRun run = Convert(File("hundred.png"), {}, [] {
        const rlimit cap{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &cap);
    });
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.out, "Conversion stopped"));
    EXPECT_TRUE(OutputNames().empty());
}

TEST_F(HostileRun, StaleTemporaryFilesOfDeadWritersAreRemoved) {
    const std::string stale = PlantLeftover(DeadProcessId());
    const std::string live = PlantLeftover(getpid());
    const std::string foreign = out_ + "/.millconv-00000000abcd.tmp";
    WriteBytes(foreign, "partial");
    ASSERT_EQ(Convert(input_).result.status, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(foreign));
    EXPECT_TRUE(SweepMarks().empty()); // a folder of a few names is read by every run
}

// A script converting file after file into one folder of many names does not list it for every
// file: after a look, such a folder rests for a while, and a leftover is found by a run after it.
TEST_F(HostileRun, AFolderOfManyNamesRestsAfterALookForLeftovers) {
    for (size_t i = 0; i < kMarkedListing; ++i) {
        WriteBytes(out_ + "/t" + std::to_string(i) + ".tga", "");
    }
    ASSERT_EQ(Convert(input_).result.status, 0);
    const std::string leftover = PlantLeftover(DeadProcessId());
    ASSERT_EQ(Convert(input_).result.status, 0);
    EXPECT_TRUE(fs::exists(leftover)); // the folder rests
    const std::vector<fs::path> marks = SweepMarks();
    ASSERT_EQ(marks.size(), 1u);
    fs::last_write_time(marks[0], fs::last_write_time(marks[0]) -
                                      std::chrono::seconds(kSweepRestSeconds));
    ASSERT_EQ(Convert(input_).result.status, 0);
    EXPECT_FALSE(fs::exists(leftover));
}

class InstanceRun : public ::testing::Test {
  protected:
    TempFolder home_;
    TempFolder runtime_;
    TempFolder temp_;
};

TEST_F(InstanceRun, FallbackLockLivesInAPrivateFolder) {
    const LimitedRun run =
        RunMillconv(home_, {"-v"}, {}, {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", temp_.Path()}});
    EXPECT_EQ(run.result.status, 0);
    struct stat info {};
    ASSERT_EQ(lstat((temp_ / ("millconv-" + std::to_string(getuid()))).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(InstanceRun, PlantedLocksDoNotBlockRuns) {
    // What stands at the lock path is no lock: a folder, or (when we may plant one) a file of
    // another user.
    std::map<std::string, std::string> environment{{"XDG_RUNTIME_DIR", runtime_.Path()}};
    auto versionRun = [&] { return RunMillconv(home_, {"-v"}, {}, environment).result.status; };
    // A first run leaves its lock file behind, which tells its name.
    ASSERT_EQ(versionRun(), 0);
    std::vector<fs::path> locks;
    for (const auto& entry : fs::directory_iterator(runtime_.Path())) {
        locks.push_back(entry.path());
    }
    ASSERT_EQ(locks.size(), 1u);
    fs::remove(locks.front());
    fs::create_directory(locks.front());
    EXPECT_EQ(versionRun(), 0);
    {
        // Every start moves past the same obstacle to the same lock, which still excludes.
        const test::ScopedEnvironment inProcess(environment);
        InstanceLock running;
        ASSERT_TRUE(running.Acquire(AppTitle()));
        EXPECT_EQ(versionRun(), 75);
    }
    fs::remove_all(runtime_.Path());
    fs::create_directory(runtime_.Path());
    chmod(runtime_.Path().c_str(), 0700);
    fs::remove(locks.front());
    if (getuid() == 0) {
        std::ofstream(locks.front()).close();
        ASSERT_EQ(chown(locks.front().c_str(), 65534, 65534), 0);
        EXPECT_EQ(versionRun(), 0);
        fs::remove(locks.front());
    }

    // A fallback folder that others may enter is not used, and does not block either.
    const std::string shared = temp_ / ("millconv-" + std::to_string(getuid()));
    fs::create_directory(shared);
    chmod(shared.c_str(), 0777);
    EXPECT_EQ(RunMillconv(home_, {"-v"}, {}, {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", temp_.Path()}})
                  .result.status,
              0);
    EXPECT_TRUE(fs::is_empty(shared));
}

} // namespace
} // namespace millconv
