// What a run may write: folders below the output folder made and checked level by level, and
// output names taken once per run.
#include "engine/output_claims.h"
#include "engine/output_guard.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace millconv::test {
namespace {

namespace fs = std::filesystem;

TEST(OutputGuardTest, FoldersAreMadeLevelByLevelAndNeverThroughALink) {
    TempFolder work;
    const std::string out = work / "out/";
    fs::create_directories(out + "real");
    fs::create_directories(work / "elsewhere");
    fs::create_symlink(work / "elsewhere", out + "real/link");
    fs::create_symlink(out, work / "outlink");
    struct Case {
        std::string folder; // the output folder as the run names it
        std::string below;  // the file below it
        bool create;
        std::string linkNamed; // empty: no problem
    };
    const Case cases[] = {
        {out, "a/b/c/x.tga", true, ""},
        {out, "real/link/x.tga", true, "real/link/"},
        {out, "real/link/deeper/x.tga", true, "real/link/"},
        {out, "./real/x.tga", false, ""},
        {out, "x.tga", false, ""},
        {work / "outlink/", "real/link/x.tga", false, "real/link/"}, // a linked output folder is fine
        {work / "outlink/", "real/y/x.tga", true, ""},
    };
    for (const Case& test : cases) {
        const std::string problem = OutputFolderProblem(test.folder, test.folder + test.below, test.create);
        if (test.linkNamed.empty()) {
            EXPECT_EQ(problem, "") << test.below;
        } else {
            EXPECT_EQ(problem, "the output folder " + test.folder + test.linkNamed +
                                   " is a symbolic link; nothing is written through it");
        }
    }
    EXPECT_TRUE(fs::is_directory(out + "a/b/c"));
    EXPECT_TRUE(fs::is_directory(out + "real/y"));
    EXPECT_TRUE(fs::is_empty(work / "elsewhere"));
    // Without create a missing level is left for the save to fail on.
    EXPECT_EQ(OutputFolderProblem(out, out + "missing/x.tga", false), "");
    EXPECT_FALSE(fs::exists(out + "missing"));
}

TEST(OutputGuardTest, AnOutputNameBelongsToTheFirstInputThatTakesIt) {
    OutputClaims claims;
    EXPECT_EQ(claims.Claim("/o/a.tga", "/i/a.png"), "");
    EXPECT_EQ(claims.Claim("/o/a.tga", "/i/a.png"), ""); // a run that converts it again
    EXPECT_EQ(claims.Claim("/o/a.tga", "/i/a.PNG"), "/i/a.png");
    EXPECT_EQ(claims.Claim("/o/A.tga", "/i/A.png"), ""); // names differ byte for byte
    EXPECT_EQ(claims.Claim("/o/a.tga", "/i/other.png"), "/i/a.png");
}

} // namespace
} // namespace millconv::test
