// Batch runs that must never lose a file silently: unreadable folders, deep trees, name
// clashes, links below the output folder, outsized --jobs values, closed output streams and
// names that could forge console lines.
#include "support/limited_run.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {
namespace {

namespace fs = std::filesystem;
using test::LimitedRun;
using test::TempFolder;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t LineCount(const std::string& text) {
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

// A chain of folders all named `name`, `depth` levels below root, made and removed one level
// at a time from inside, so that it may reach past the longest path the system takes.
class FolderChain {
  public:
    FolderChain(std::string root, std::string name, int depth, std::vector<int> picturesAt)
        : root_(std::move(root)), name_(std::move(name)), depth_(depth) {
        const Bitmap picture = test::SolidImage(3, 2, 0x31, 0x72, 0xB3);
        InChain([&](int level) {
            if (std::find(picturesAt.begin(), picturesAt.end(), level) != picturesAt.end()) {
                FreeImage_Save(FIF_PNG, picture.get(), "p.png", 0);
            }
            if (level < depth_) {
                mkdir(name_.c_str(), 0755);
            }
        });
    }
    ~FolderChain() {
        // Down to the bottom, then up again removing what each level holds.
        char here[4096];
        if (getcwd(here, sizeof here) == nullptr || chdir(root_.c_str()) != 0) {
            return;
        }
        int level = 0;
        while (level < depth_ && chdir(name_.c_str()) == 0) {
            ++level;
        }
        for (; level >= 0; --level) {
            unlink("p.png");
            if (level < depth_) {
                rmdir(name_.c_str());
            }
            if (level > 0 && chdir("..") != 0) {
                break;
            }
        }
        (void)chdir(here);
    }
    FolderChain(const FolderChain&) = delete;
    FolderChain& operator=(const FolderChain&) = delete;

    // The path of a level that is within the system's path limit.
    std::string Level(int level) const {
        std::string path = root_;
        for (int i = 0; i < level; ++i) {
            path += name_ + "/";
        }
        return path;
    }

  private:
    template <typename Step> void InChain(Step step) {
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        ASSERT_EQ(chdir(root_.c_str()), 0);
        for (int level = 0; level <= depth_; ++level) {
            step(level);
            if (level < depth_) {
                ASSERT_EQ(chdir(name_.c_str()), 0) << level;
            }
        }
        ASSERT_EQ(chdir(here), 0);
    }

    std::string root_;
    std::string name_;
    int depth_;
};

class BatchSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        FreeImage_Initialise(FALSE);
        fs::create_directories(in_);
        fs::create_directories(out_);
    }

    LimitedRun Batch(std::vector<std::string> arguments, const std::function<void()>& setup = {}) {
        arguments.insert(arguments.begin(), {"--batch", "-o", out_});
        return test::RunMillconv(home_, arguments, setup);
    }

    void Picture(const std::string& path, unsigned width, unsigned height = 2) {
        fs::create_directories(fs::path(path).parent_path());
        test::WritePng(test::SolidImage(width, height, 0x12, 0x9A, 0xE4).get(), path);
    }

    unsigned WidthOf(const std::string& tga) const {
        const Bitmap written(FreeImage_Load(FIF_TARGA, tga.c_str(), 0));
        return written ? FreeImage_GetWidth(written.get()) : 0;
    }

    // Files below the output folder whose names say they are temporary.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(out_)) {
            if (entry.path().filename().string().starts_with(".millconv-")) {
                found.push_back(entry.path().string());
            }
        }
        return found;
    }

    TempFolder home_;
    TempFolder work_;
    std::string in_ = work_ / "in/";
    std::string out_ = work_ / "out/";
};

TEST_F(BatchSafety, UnreadableFoldersAreNamedAndTheWalkGoesOn) {
    Picture(in_ + "a.png", 3);
    Picture(in_ + "z.png", 4);
    // Sixteen levels of 250-character names pass the system's path limit at the fifteenth:
    // the walk names that folder and still converts what it found above and beside it.
    const std::string longName(250, 'n');
    const FolderChain chain(in_, longName, 20, {3, 19});
    const std::string missing = work_ / "missing";
    const LimitedRun run = Batch({"--jobs=1", "-q", "-i", in_, missing}, [] {
        // One folder open at a time: a small descriptor limit cannot end the walk.
        const rlimit few{24, 24};
        setrlimit(RLIMIT_NOFILE, &few);
    });
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Contains(run.result.err, "millconv: " + missing +
                                             ": could not be read (No such file or directory)\n"))
        << run.result.err;
    EXPECT_TRUE(Contains(run.result.err, longName + "/: could not be read (File name too long)\n"))
        << run.result.err;
    EXPECT_EQ(LineCount(run.result.err), 2u) << run.result.err;
    EXPECT_EQ(WidthOf(out_ + "a.tga"), 3u);
    EXPECT_EQ(WidthOf(out_ + "z.tga"), 4u);
    EXPECT_TRUE(fs::exists(chain.Level(3).replace(0, in_.size(), out_) + "p.tga"));
}

TEST_F(BatchSafety, WalkMemoryGrowsLinearlyWithDepth) {
    // Levels named "d": 4000 levels pass the path limit near level 2040, which is reported.
    struct Depth {
        int levels;
        int status;
        long peakKiB = 0;
    };
    std::vector<Depth> depths = {{1000, 0}, {2000, 0}, {4000, 1}};
    for (Depth& depth : depths) {
        const FolderChain chain(in_, "d", depth.levels, {depth.levels / 2});
        const LimitedRun run = Batch({"--no-subfolders", "-q", "-i", in_});
        EXPECT_EQ(run.result.status, depth.status) << depth.levels << run.result.err.substr(0, 300);
        EXPECT_LE(LineCount(run.result.err), 1u) << depth.levels;
        EXPECT_TRUE(fs::remove(out_ + "p.tga")) << depth.levels;
        EXPECT_LT(run.seconds, test::kSanitized ? 20.0 : 5.0) << depth.levels;
        depth.peakKiB = run.peakKiB;
    }
    // The quadratic walk took 85 and 255 MiB at 1000 and 2000 levels.
    EXPECT_LT(depths[1].peakKiB - depths[0].peakKiB, (test::kSanitized ? 32 : 8) * 1024);
    EXPECT_LT(depths[2].peakKiB, (test::kSanitized ? 300 : 100) * 1024);
}

TEST_F(BatchSafety, ClashingOutputNamesFailTheLaterFile) {
    struct Clash {
        std::string first; // in path order; its picture is 3 wide, the later one 5
        std::string later;
        std::vector<std::string> options;
        std::string output;
    };
    const std::vector<Clash> clashes = {
        {"a.PNG", "a.png", {}, "a.tga"},
        {"s1/b.png", "s2/b.png", {"--no-subfolders"}, "b.tga"},
    };
    for (const Clash& clash : clashes) {
        fs::remove_all(in_);
        fs::remove_all(out_);
        fs::create_directories(out_);
        Picture(in_ + clash.first, 3);
        Picture(in_ + clash.later, 5);
        std::vector<std::string> arguments = {"--jobs=1", "-i", in_};
        arguments.insert(arguments.end(), clash.options.begin(), clash.options.end());
        const LimitedRun run = Batch(arguments);
        EXPECT_EQ(run.result.status, 1) << clash.later;
        EXPECT_TRUE(Contains(run.result.out, "Files converted: 1 of 2")) << run.result.out;
        EXPECT_EQ(run.result.err, "millconv: " + in_ + clash.later + ": its output name " + out_ +
                                      clash.output + " is already that of " + in_ + clash.first +
                                      "; not overwritten\n");
        EXPECT_EQ(WidthOf(out_ + clash.output), 3u) << clash.later;
    }
}

TEST_F(BatchSafety, NothingIsWrittenThroughLinksBelowTheOutputFolder) {
    const std::string elsewhere = work_ / "elsewhere/";
    fs::create_directories(elsewhere);
    fs::create_directories(out_ + "real");
    fs::create_symlink(elsewhere, out_ + "sub");
    fs::create_symlink(elsewhere, out_ + "real/link");
    fs::create_symlink(work_ / "gone", out_ + "dangling");
    const std::string input = in_ + "x.png";
    Picture(input, 3);
    Picture(in_ + "sub/y.png", 3);
    Picture(in_ + "dangling/w.png", 3);
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> links; // named on stderr
    };
    const std::vector<Case> cases = {
        {{"-i", input, "--filename-mask=sub/%filename%.%ext%"}, {"sub/"}},
        {{"-i", input, "--filename-mask=real/link/%filename%.%ext%"}, {"real/link/"}},
        // Kept subfolders: x.png is written, the two below links are not.
        {{"-i", in_}, {"sub/", "dangling/"}},
    };
    for (const Case& link : cases) {
        const LimitedRun run = Batch(link.arguments);
        EXPECT_EQ(run.result.status, 1) << link.links.front();
        EXPECT_EQ(LineCount(run.result.err), link.links.size()) << run.result.err;
        for (const std::string& folder : link.links) {
            EXPECT_TRUE(
                Contains(run.result.err, "the output folder " + out_ + folder +
                                             " is a symbolic link; nothing is written through it"))
                << run.result.err;
        }
    }
    EXPECT_TRUE(fs::exists(out_ + "x.tga"));
    fs::remove(out_ + "x.tga");
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_FALSE(fs::exists(work_ / "gone"));
    // A real folder on the way is fine, and so is an output folder that is itself a link.
    EXPECT_EQ(Batch({"-i", input, "--filename-mask=real/%filename%.%ext%"}).result.status, 0);
    const LimitedRun viaLink =
        test::RunMillconv(home_, {"--batch", "-o", out_ + "sub", "-i", input});
    EXPECT_EQ(viaLink.result.status, 0) << viaLink.result.err;
    EXPECT_TRUE(fs::exists(elsewhere + "x.tga"));
    fs::remove(elsewhere + "x.tga");
    EXPECT_TRUE(fs::exists(out_ + "real/x.tga"));
}

TEST_F(BatchSafety, JobsAreCappedAndValuesThatDoNotFitRefused) {
    Picture(in_ + "one.png", 3);
    for (const char* bad : {"4294967297", "2147483648", "0", "-2", "3x"}) {
        const LimitedRun run = Batch({std::string("--jobs=") + bad, "-i", in_});
        EXPECT_EQ(run.result.status, 1) << bad;
        EXPECT_TRUE(Contains(run.result.out, "Error: Invalid jobs value")) << bad;
        EXPECT_FALSE(fs::exists(out_ + "one.tga")) << bad;
    }
    fs::remove(in_ + "one.png");
    // Two dozen large pictures side by side would take hundreds of MiB; capped at the
    // processors, a few at a time take tens.
    Picture(in_ + "0.png", 1500, 1500);
    for (int i = 1; i < 24; ++i) {
        fs::copy_file(in_ + "0.png", in_ + std::to_string(i) + ".png");
    }
    for (const char* fits : {"2147483647", "99999"}) {
        const LimitedRun run = Batch({std::string("--jobs=") + fits, "-q", "-i", in_});
        EXPECT_EQ(run.result.status, 0) << fits << run.result.err;
        EXPECT_LT(run.peakKiB, (test::kSanitized ? 600 : 150) * 1024) << fits;
    }
}

// Gives the child a stream whose reader has gone away.
std::function<void()> ClosedPipeAs(int stream) {
    return [stream] {
        int ends[2];
        if (pipe(ends) == 0) {
            close(ends[0]);
            dup2(ends[1], stream);
            close(ends[1]);
        }
    };
}

TEST_F(BatchSafety, OutputNobodyReadsEndsTheRunCleanly) {
    // The first file in path order fails, so its line is the first thing written to stderr.
    std::ofstream(in_ + "0 broken.png") << "\x89PNG\r\n\x1a\n broken";
    for (int i = 1; i <= 12; ++i) {
        Picture(in_ + std::to_string(i) + ".png", 40, 40);
    }
    const LimitedRun quietRun = Batch({"--jobs=1", "-q", "-i", in_}, ClosedPipeAs(STDERR_FILENO));
    EXPECT_EQ(quietRun.result.status, 1); // not killed by SIGPIPE (141)
    EXPECT_TRUE(Contains(quietRun.result.out, "Conversion stopped")) << quietRun.result.out;
    EXPECT_LT(std::distance(fs::directory_iterator(out_), fs::directory_iterator()), 12);
    EXPECT_TRUE(Leftovers().empty());

    const LimitedRun loudRun = Batch({"--jobs=2", "-i", in_}, ClosedPipeAs(STDOUT_FILENO));
    EXPECT_EQ(loudRun.result.status, 1);
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(BatchSafety, ControlCharactersInNamesCannotForgeLines) {
    std::ofstream(in_ + "bad\nmillconv: forged\t'x'\\.png") << "\x89PNG\r\n\x1a\n broken";
    const LimitedRun run = Batch({"-q", "-i", in_});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_EQ(LineCount(run.result.err), 1u) << run.result.err;
    EXPECT_TRUE(Contains(run.result.err, "$'" + in_ + "bad\\nmillconv: forged\\t\\'x\\'\\\\.png'"))
        << run.result.err;
}

} // namespace
} // namespace millconv
