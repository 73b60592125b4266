// Shards: one batch run split by a hash of each file's relative path.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/shard.h"
#include "support/process.h"
#include "support/test_png.h"

namespace millconv::test {
namespace {

namespace fs = std::filesystem;

// Written out again here so that a slip in the program's hash cannot hide in the test.
uint64_t ReferenceFnv1a(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3ull;
    }
    return hash;
}

// Every file below a folder, as paths relative to it.
std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), folder).string());
        }
    }
    return files;
}

std::string TgaName(const std::string& png) { return png.substr(0, png.rfind('.')) + ".tga"; }

TEST(ShardRule, ParsesOnlyOneBasedIndexesWithinTheCount) {
    struct Case {
        const char* text;
        bool valid;
        uint64_t index;
        uint64_t count;
    };
    const Case cases[] = {
        {"1/1", true, 1, 1},   {"3/3", true, 3, 3},   {"2/17", true, 2, 17}, {"0/3", false, 0, 0},
        {"4/3", false, 0, 0},  {"1/0", false, 0, 0},  {"2", false, 0, 0},    {"a/b", false, 0, 0},
        {"", false, 0, 0},     {"1/", false, 0, 0},   {"/3", false, 0, 0},   {"-1/3", false, 0, 0},
        {"+1/3", false, 0, 0}, {"1/3x", false, 0, 0}, {" 1/3", false, 0, 0}, {"1/2/3", false, 0, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        const std::optional<Shard> shard = ParseShard(test.text);
        ASSERT_EQ(shard.has_value(), test.valid);
        if (shard) {
            EXPECT_EQ(shard->index, test.index);
            EXPECT_EQ(shard->count, test.count);
        }
    }
}

TEST(ShardRule, HashIsSixtyFourBitFnv1aOfTheBytes) {
    // Published FNV-1a test vectors, and a UTF-8 name whose bytes are above 0x7f.
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ull);
    EXPECT_EQ(Fnv1a64("d\xc3\xa9j\xc3\xa0/\xc3\xa9t\xc3\xa9.png"),
              ReferenceFnv1a("d\xc3\xa9j\xc3\xa0/\xc3\xa9t\xc3\xa9.png"));
}

class ShardRunTest : public ::testing::Test {
  protected:
    RunResult Run(const std::vector<std::string>& arguments) {
        return RunProgram(MillconvPath(), arguments, IsolatedEnvironment(home_));
    }

    TempFolder home_;
    TempFolder tree_;
    TempFolder loose_;
};

TEST_F(ShardRunTest, ThreeShardsConvertEveryFileOnceEachItsOwnFiles) {
    std::vector<std::string> pictures;
    for (unsigned i = 0; i < 30; ++i) {
        const std::string folder = i % 3 == 0 ? "" : i % 3 == 1 ? "a/" : "a/d\xc3\xa9j\xc3\xa0/";
        pictures.push_back(folder + "t" + std::to_string(i) + ".png");
        ASSERT_TRUE(WriteTestPng(tree_ / pictures.back(), i));
    }
    // A file given directly is hashed by its name alone.
    ASSERT_TRUE(WriteTestPng(loose_ / "deep/loose.png", 31));

    std::multiset<std::string> written;
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        TempFolder out;
        const RunResult run =
            Run({"--batch", "--jobs=2", "-q", "--shard=" + std::to_string(k) + "/3", tree_.Path(),
                 loose_ / "deep/loose.png", "-o", out.Path()});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        std::set<std::string> expected;
        for (const std::string& picture : pictures) {
            if (ReferenceFnv1a(picture) % 3 == uint64_t(k - 1)) {
                expected.insert(TgaName(picture));
            }
        }
        if (ReferenceFnv1a("loose.png") % 3 == uint64_t(k - 1)) {
            expected.insert("loose.tga");
        }
        const std::set<std::string> files = FilesBelow(out.Path());
        EXPECT_EQ(files, expected);
        written.insert(files.begin(), files.end());
    }
    EXPECT_EQ(written.size(), 31u);
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()).size(), 31u);
}

// The GNU parallel recipe with four local "machines": the shards run side by side on one tree
// into one output folder, each with the recipe's own command line.
TEST_F(ShardRunTest, ShardsRunningSideBySideConvertTheTreeExactlyOnce) {
    std::set<std::string> expected;
    for (unsigned i = 0; i < 41; ++i) {
        const std::string name = (i % 2 == 0 ? "x/" : "x/y/") + std::to_string(i) + ".png";
        ASSERT_TRUE(WriteTestPng(tree_ / name, i));
        expected.insert(TgaName(name));
    }
    constexpr int kShards = 4;
    std::vector<std::pair<pid_t, std::string>> machines;
    for (int k = 1; k <= kShards; ++k) {
        const std::string log = loose_ / ("shard" + std::to_string(k));
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::vector<std::string> recipe = {
            "--batch", "--shard=" + std::to_string(k) + "/" + std::to_string(kShards), tree_.Path(),
            "-o", home_ / "out"};
        fs::create_directories(home_ / "out");
        machines.emplace_back(
            StartChild(MillconvPath(), recipe, IsolatedEnvironment(home_), {}, fd, fd), log);
        close(fd);
    }
    int found = 0;
    for (const auto& [pid, log] : machines) {
        EXPECT_EQ(WaitForChild(pid), 0);
        const std::string out = ReadAll(log);
        const std::string count = "new files added: ";
        const size_t at = out.find(count);
        ASSERT_NE(at, std::string::npos) << out;
        found += std::stoi(out.substr(at + count.size()));
    }
    EXPECT_EQ(found, 41); // no file taken up by two shards
    EXPECT_EQ(FilesBelow(home_ / "out"), expected);
}

TEST_F(ShardRunTest, InvalidShardsFailAndWriteNothing) {
    ASSERT_TRUE(WriteTestPng(tree_ / "one.png", 1));
    const std::vector<std::vector<std::string>> forms = {
        {"--batch", "--shard=0/3"},
        {"--batch", "--shard=4/3"},
        {"--batch", "--shard=1/0"},
        {"--batch", "--shard=2"},
        {"--batch", "--shard=a/b"},
        {"--batch", "--shard"},
        {"--shard=1/1"},
        {"--batch", "--shard=1/1", "--filename-mask=%N%-%filename%.%ext%"},
        {"--batch", "--shard=1/1", "--wm-text=Copy %n%"},
    };
    for (std::vector<std::string> arguments : forms) {
        SCOPED_TRACE(arguments.back());
        arguments.insert(arguments.end(), {"-i", tree_ / "one.png", "-o", loose_.Path()});
        const RunResult run = Run(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.starts_with("Error: Invalid shard")) << run.out;
        EXPECT_TRUE(fs::is_empty(loose_.Path()));
    }
}

} // namespace
} // namespace millconv::test
