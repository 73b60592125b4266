// Program data folders: the build tree beside the executable first, then the installed layout.
#include "platform/program_folders.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace millconv {
namespace {

// An installed tree under a temporary prefix: <prefix>/bin/ and the folders around it.
class ProgramFoldersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder :
             {"bin", "lib/millconv", "share/millconv/gfx", "share/doc/millconv"}) {
            std::filesystem::create_directories(prefix / folder);
        }
    }
    static void Touch(const std::string& path) { std::ofstream(path) << "x"; }

    test::TempFolder prefix;
    std::string bin = prefix / "bin/";
};

TEST_F(ProgramFoldersTest, InstalledFoldersAreFoundFromTheExecutable) {
    EXPECT_EQ(InstalledDataFolder(ProgramData::Modules, bin), prefix / "lib/millconv/");
    EXPECT_EQ(InstalledDataFolder(ProgramData::Themes, bin), prefix / "share/millconv/gfx/");
    EXPECT_EQ(InstalledDataFolder(ProgramData::Manual, bin), prefix / "share/doc/millconv/");

    Touch(prefix / "lib/millconv/millconv-draw.so");
    Touch(prefix / "share/doc/millconv/millconv.html");
    EXPECT_EQ(FindProgramData(ProgramData::Modules, "millconv-draw.so", bin),
              prefix / "lib/millconv/millconv-draw.so");
    EXPECT_EQ(FindProgramData(ProgramData::Manual, "millconv.html", bin),
              prefix / "share/doc/millconv/millconv.html");
    EXPECT_EQ(FindProgramData(ProgramData::Themes, "", bin), prefix / "share/millconv/gfx/");
}

TEST_F(ProgramFoldersTest, BuildTreeBesideTheExecutableComesFirst) {
    const std::vector<std::string> modules = ProgramDataFolders(ProgramData::Modules, bin);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules.front(), bin);

    Touch(prefix / "lib/millconv/millconv-ui.so");
    Touch(bin + "millconv-ui.so");
    std::filesystem::create_directory(bin + "gfx");
    std::filesystem::create_directory(bin + "docs");
    Touch(bin + "docs/millconv.html");
    Touch(prefix / "share/doc/millconv/millconv.html");
    EXPECT_EQ(FindProgramData(ProgramData::Modules, "millconv-ui.so", bin), bin + "millconv-ui.so");
    EXPECT_EQ(FindProgramData(ProgramData::Themes, "", bin), bin + "gfx/");
    EXPECT_EQ(FindProgramData(ProgramData::Manual, "millconv.html", bin),
              bin + "docs/millconv.html");
}

TEST_F(ProgramFoldersTest, MissingEverywhereIsEmpty) {
    EXPECT_EQ(FindProgramData(ProgramData::Modules, "millconv-ui.so", bin), "");
    EXPECT_EQ(FindProgramData(ProgramData::Manual, "millconv.html", bin), "");
    // A module of one kind is not taken from another kind's folder.
    Touch(prefix / "share/millconv/gfx/millconv-ui.so");
    EXPECT_EQ(FindProgramData(ProgramData::Modules, "millconv-ui.so", bin), "");
    std::filesystem::remove_all(prefix / "share/millconv/gfx");
    EXPECT_EQ(FindProgramData(ProgramData::Themes, "", bin), "");
}

} // namespace
} // namespace millconv
