// Start-up, product identity and the job record.
#include "app/app_info.h"
#include "engine/naming.h"
#include "job/job_record.h"
#include "platform/instance_lock.h"
#include "support/process.h"
#include "support/test_png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {
namespace {

TEST(VersionTextTest, DropsTrailingZeroOnly) {
    EXPECT_EQ(VersionText(290), "2.9");
    EXPECT_EQ(VersionText(300), "3.0");
    EXPECT_EQ(VersionText(291), "2.9.1");
    EXPECT_EQ(VersionText(301), "3.0.1");
    EXPECT_EQ(AppTitle(), "Pixelmill PNG to TGA 2.9");
    EXPECT_EQ(MakerWord(), "Pixelmill");
}

TEST(IconTablesTest, ToolbarSlotsSitTwentyFourAboveMenu) {
    EXPECT_EQ(MenuImageNumbers().size(), 22u);
    EXPECT_EQ(ToolbarImageNumbers().at("New"), 29);
    EXPECT_EQ(ToolbarImageNumbers().at("Help"), 46);
    EXPECT_EQ(ToolbarImageNumbers().at("About"), 52);
    EXPECT_EQ(GadgetImageNumbers().at("InFolder"), 4);
    EXPECT_EQ(MenuImageNumbers().at("About"), 28);
    EXPECT_THROW(MenuImageNumbers().at("Gadget"), std::out_of_range);
}

TEST(JobStateTest, ResetKeepsRunModeAndRestartsCounters) {
    gJob.runMode = "DEBUG";
    gJob.sequenceNumber = 7;
    gJob.outputFolder = "/tmp/x/";
    gJob.inputGiven = true;
    gJob.imageWidth = 33;
    InputSet()["/tmp/a.png"] = {};
    ResetJobState();
    EXPECT_TRUE(InputSet().empty());
    EXPECT_EQ(gJob.runMode, "DEBUG");
    EXPECT_EQ(gJob.imageWidth, 33);
    EXPECT_EQ(gJob.sequenceNumber, 1);
    EXPECT_TRUE(gJob.outputFolder.empty());
    EXPECT_FALSE(gJob.inputGiven);
    EXPECT_EQ(gJob.programFolder.back(), '/');
    EXPECT_GE(gJob.randomNumber, 1);
    EXPECT_LE(gJob.randomNumber, 99999);
}

TEST(JobStateTest, RandomNumbersCoverTheirRange) {
    int32_t low = 99999;
    int32_t high = 1;
    for (int i = 0; i < 20000; ++i) {
        int32_t value = DrawRandomNumber();
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 99999);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    EXPECT_LT(low, 100);
    EXPECT_GT(high, 99900);
}

class ExecutableTest : public ::testing::Test {
  protected:
    test::TempFolder home;
};

TEST_F(ExecutableTest, WindowModeWithoutUiModuleFailsWithOneLine) {
    // A copy of the executable in a folder of its own finds no module beside it, nor in the
    // installed folder relative to it.
    std::filesystem::create_directory(home / "bin");
    std::string copy = home / "bin/millconv";
    std::filesystem::copy_file(test::MillconvPath(), copy);
    auto environment = test::IsolatedEnvironment(home);
    test::RunResult run = test::RunProgram(copy, {}, environment);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("millconv-ui.so"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST_F(ExecutableTest, ALinkToTheExecutableFindsTheModulesBesideTheFileItLinksTo) {
    // Started by the link's path, the program looks for its drawing module beside the real
    // file; the link's own folder holds none.
    std::filesystem::create_directory(home / "bin");
    const std::string link = home / "bin/millconv";
    std::filesystem::create_symlink(test::MillconvPath(), link);
    ASSERT_TRUE(test::WriteTestPng(home / "in.png", 3));
    const test::RunResult run =
        test::RunProgram(link, {"-q", "-i", home / "in.png", "-o", home.Path(), "--fr-solid-left=3"},
                         test::IsolatedEnvironment(home));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(std::filesystem::exists(home / "in.tga"));
}

TEST_F(ExecutableTest, SecondInstanceIsRefused) {
    auto environment = test::IsolatedEnvironment(home);
    setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
    InstanceLock running;
    ASSERT_TRUE(running.Acquire(AppTitle()));

    test::RunResult withParameters = test::RunProgram(test::MillconvPath(), {"-v"}, environment);
    EXPECT_EQ(withParameters.status, 75); // "try again later", not a failed conversion
    EXPECT_TRUE(withParameters.out.empty());
    EXPECT_NE(withParameters.err.find(AppTitle()), std::string::npos);

    test::RunResult silent = test::RunProgram(test::MillconvPath(), {}, environment);
    EXPECT_EQ(silent.status, 0);
    EXPECT_TRUE(silent.out.empty());
    EXPECT_TRUE(silent.err.empty());

    // A file opened with the program while no window listens (a console run holds the lock)
    // is not lost without a word.
    std::ofstream(home / "a.png") << "png";
    test::RunResult file =
        test::RunProgram(test::MillconvPath(), {"a.png"}, environment, home.Path());
    EXPECT_EQ(file.status, 75);
    EXPECT_NE(file.err.find(AppTitle()), std::string::npos);
    running.Release();
    unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(ExecutableTest, LockFolderPlantedByAnotherUserIsNotUsed) {
    // Without a runtime folder the lock lives below the temp folder, where anyone may have
    // made the folder first; the instances then meet in the user's cache folder instead.
    auto environment = test::IsolatedEnvironment(home);
    environment["XDG_RUNTIME_DIR"] = "";
    environment["TMPDIR"] = home / "tmp";
    environment["XDG_CACHE_HOME"] = home / "cache";
    std::filesystem::create_directories(home / "tmp");
    const std::string planted = home / ("tmp/millconv-" + std::to_string(getuid()));
    mkdir(planted.c_str(), 0777);
    chmod(planted.c_str(), 0777);
    if (getuid() == 0) {
        ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
    }
    const test::ScopedEnvironment inProcess(environment);
    InstanceLock running;
    ASSERT_TRUE(running.Acquire(AppTitle()));
    EXPECT_EQ(InstanceLock::LockPath(AppTitle()).rfind(home / "cache/", 0), 0u);

    test::RunResult second = test::RunProgram(test::MillconvPath(), {"-v"}, environment);
    EXPECT_EQ(second.status, 75);
    EXPECT_TRUE(second.out.empty());
}

TEST_F(ExecutableTest, BatchRunsNeitherTakeNorRespectTheLock) {
    auto environment = test::IsolatedEnvironment(home);
    setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
    ASSERT_TRUE(test::WriteTestPng(home / "in/pic.png", 3));
    std::filesystem::create_directory(home / "out");
    InstanceLock running;
    ASSERT_TRUE(running.Acquire(AppTitle()));

    const test::RunResult plain = test::RunProgram(
        test::MillconvPath(), {"-q", "-i", home / "in/pic.png", "-o", home / "out"}, environment);
    EXPECT_EQ(plain.status, 75);
    EXPECT_FALSE(std::filesystem::exists(home / "out/pic.tga"));

    const test::RunResult batch = test::RunProgram(
        test::MillconvPath(), {"--batch", "-q", home / "in", "-o", home / "out"}, environment);
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_TRUE(std::filesystem::exists(home / "out/pic.tga"));
    EXPECT_FALSE(std::filesystem::exists(home / ".config/Pixelmill/millconv/config.ini"));
    running.Release();
    unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace millconv
