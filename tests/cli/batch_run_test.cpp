// Batch console runs: folder trees on several workers, compared with one-at-a-time runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "engine/bitmap.h"
#include "support/process.h"
#include "support/test_png.h"

namespace millconv::test {
namespace {

namespace fs = std::filesystem;

void WritePng(const std::string& path, unsigned seed) {
    ASSERT_TRUE(WriteTestPng(path, seed)) << path;
}

class BatchRunTest : public ::testing::Test {
  protected:
    RunResult Run(std::vector<std::string> arguments) {
        return RunProgram(MillconvPath(), arguments,
                          {{"HOME", home_.Path()},
                           {"XDG_CONFIG_HOME", home_ / "config"},
                           {"XDG_RUNTIME_DIR", home_.Path()}});
    }

    // 30 PNGs three levels deep (one corrupt, one named .PNG) and a text file; the relative
    // paths of the pictures, in path order.
    std::vector<std::string> MakeTree() {
        std::vector<std::string> names;
        for (unsigned i = 0; i < 30; ++i) {
            const std::string folder = i < 10 ? "" : i < 20 ? "one/" : "one/two/";
            std::string name = folder + "tex" + std::to_string(i) + (i == 17 ? ".PNG" : ".png");
            if (i == 23) {
                fs::create_directories(tree_ / folder);
                std::ofstream(tree_ / name) << "\x89PNG\r\n\x1a\n not really";
            } else {
                WritePng(tree_ / name, i);
            }
            names.push_back(name);
        }
        std::ofstream(tree_ / "one/readme.txt") << "not a picture";
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string TgaName(const std::string& png) {
        return png.substr(0, png.rfind('.')) + ".tga";
    }

    TempFolder home_;
    TempFolder tree_;
    TempFolder out_;
};

TEST_F(BatchRunTest, TreeConvertsLikeOneAtATimeRunsAndNamesTheCorruptFile) {
    const std::vector<std::string> names = MakeTree();
    const RunResult batch = Run({"--batch", "--jobs=2", "-q", "-i", tree_.Path(), "-o", out_.Path()});
    EXPECT_EQ(batch.status, 1);
    EXPECT_NE(batch.err.find(tree_ / "one/two/tex23.png"), std::string::npos) << batch.err;
    EXPECT_EQ(std::count(batch.err.begin(), batch.err.end(), '\n'), 1) << batch.err;

    TempFolder single;
    int written = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const RunResult one = Run({"-q", "-i", tree_ / name, "-o", single.Path()});
        const std::string leaf = TgaName(name.substr(name.rfind('/') + 1));
        if (name.find("tex23") != std::string::npos) {
            EXPECT_EQ(one.status, 1);
            EXPECT_FALSE(fs::exists(out_ / TgaName(name)));
            continue;
        }
        ASSERT_EQ(one.status, 0);
        ASSERT_TRUE(fs::exists(out_ / TgaName(name)));
        EXPECT_EQ(ReadAll(out_ / TgaName(name)), ReadAll(single / leaf));
        ++written;
    }
    EXPECT_EQ(written, 29);
    EXPECT_FALSE(fs::exists(out_ / "one/readme.tga"));

    const RunResult loud = Run({"--batch", "--jobs=2", tree_.Path(), "-o", out_.Path()});
    EXPECT_NE(loud.out.find("Import complete, new files added: 30\n"), std::string::npos);
    EXPECT_NE(loud.out.find("Conversion complete\nFiles converted: 29 of 30\n"), std::string::npos)
        << loud.out;
}

TEST_F(BatchRunTest, NoSubfoldersPutsTheFilesSideBySide) {
    MakeTree();
    const RunResult run =
        Run({"--batch", "--no-subfolders", "-q", "-i", tree_.Path(), "-o", out_.Path()});
    EXPECT_EQ(run.status, 1);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out_.Path())) {
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 29u);
    EXPECT_TRUE(fs::exists(out_ / "tex17.tga"));
}

TEST_F(BatchRunTest, SequenceNumbersFollowPathOrderWithFourJobs) {
    // Names chosen so that path order differs from creation order and from name length.
    const std::vector<std::string> names = {"a/z.png", "b.png", "a/b/c.png", "aa.png", "c.png"};
    for (size_t i = 0; i < names.size(); ++i) {
        WritePng(tree_ / names[i], unsigned(i));
    }
    std::vector<std::string> sorted;
    for (const std::string& name : names) {
        sorted.push_back(tree_ / name);
    }
    std::sort(sorted.begin(), sorted.end());
    const RunResult run = Run({"--batch", "--jobs=4", "-q", "--no-subfolders",
                               "--filename-mask=%n%-%filename%.%ext%", tree_.Path(), "-o", out_.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const std::string stem = fs::path(sorted[i]).stem().string();
        const std::string number = std::string(4, '0') + std::to_string(i + 1);
        EXPECT_TRUE(fs::exists(out_ / (number + "-" + stem + ".tga"))) << number << " " << stem;
    }
}

TEST_F(BatchRunTest, FilesAndFoldersMixAndTheJobsValueIsChecked) {
    WritePng(tree_ / "sub/one.png", 1);
    WritePng(tree_ / "two.png", 2);
    const RunResult mixed =
        Run({"--batch", "-q", "-i", tree_ / "sub", tree_ / "two.png", "-o", out_.Path()});
    EXPECT_EQ(mixed.status, 0) << mixed.out << mixed.err;
    EXPECT_TRUE(fs::exists(out_ / "one.tga")); // the folder is the base of its files
    EXPECT_TRUE(fs::exists(out_ / "two.tga"));

    const RunResult zero = Run({"--batch", "--jobs=0", "-q", tree_.Path(), "-o", out_.Path()});
    EXPECT_EQ(zero.status, 1);
    EXPECT_NE(zero.out.find("Error: Invalid jobs value"), std::string::npos);
}

TEST_F(BatchRunTest, WithoutBatchAFolderIsStillRefused) {
    WritePng(tree_ / "one.png", 1);
    const RunResult run = Run({"-q", "-i", tree_.Path(), "-o", out_.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Error: Invalid input file\n");
    EXPECT_TRUE(fs::is_empty(out_.Path()));
}

TEST_F(BatchRunTest, HalfOpaqueFrameOverATransparentPixelKeepsItsOpacity) {
    WritePng(tree_ / "pic.png", 4); // its bottom-left pixel has alpha 60
    const RunResult run = Run({"-q", "-i", tree_ / "pic.png", "-o", out_.Path(),
                               "--tga-alpha=keep", "--fr-solid-left=2", "--fr-solid-opacity=128",
                               "--fr-solid-left-color=00FF00"});
    ASSERT_EQ(run.status, 0) << run.err;
    Bitmap output(FreeImage_Load(FIF_TARGA, (out_ / "pic.tga").c_str(), 0));
    ASSERT_TRUE(output);
    ASSERT_EQ(FreeImage_GetBPP(output.get()), 32u);
    const BYTE* bottom = FreeImage_GetScanLine(output.get(), 0);
    EXPECT_GE(bottom[FI_RGBA_ALPHA], 128);
    EXPECT_GT(bottom[FI_RGBA_GREEN], bottom[FI_RGBA_RED]);
    EXPECT_EQ(bottom[4 * 5 + FI_RGBA_ALPHA], 255); // beyond the frame: the picture's own
}

// Pillow must read what other tools read: alpha kept, top-left rows, raw and RLE.
TEST_F(BatchRunTest, PillowReadsKeptAlphaAndTopLeftRows) {
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (RunProgram(python, {"-c", "import PIL"}).status != 0) {
        GTEST_SKIP() << "Pillow is not installed (python3-pil)";
    }
    WritePng(tree_ / "pic.png", 4);
    for (const std::string compression : {"none", "rle"}) {
        SCOPED_TRACE(compression);
        const RunResult run = Run({"-q", "-i", tree_ / "pic.png", "-o", out_.Path(),
                                   "--tga-alpha=keep", "--tga-origin=top-left",
                                   "--tga-compression=" + compression});
        ASSERT_EQ(run.status, 0) << run.err;
        // The top row comes first; the bottom-left pixel carries alpha 60.
        const RunResult read = RunProgram(
            python, {"-c",
                     "import sys; from PIL import Image\n"
                     "a = Image.open(sys.argv[1]).convert('RGBA'); b = Image.open(sys.argv[2])"
                     ".convert('RGBA')\n"
                     "print(a.getpixel((0, 0)), a.getpixel((0, a.height - 1)), list(a.getdata()) == "
                     "list(b.getdata()))",
                     out_ / "pic.tga", tree_ / "pic.png"});
        EXPECT_EQ(read.out, "(52, 83, 200, 255) (52, 28, 200, 60) True\n") << read.err;
    }
}

} // namespace
} // namespace millconv::test
