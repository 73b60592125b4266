// The installed program and the Debian package: layout, modules and themes found from the
// installed executable, desktop entry and software-centre data valid, package fields.
#include "support/process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace millconv {
namespace {

namespace fs = std::filesystem;

// Made once per test run by tests/package/stage.cmake.
const std::string kStage = MILLCONV_BINARY_DIR "package_stage/";
const std::string kInstalled = kStage + "installed/";
const std::string kInstalledProgram = kInstalled + "bin/millconv";
const std::string kPackage = kStage + "deb/millconv_2.9.0_amd64.deb";
const std::string kSample = MILLCONV_CORPUS_DIR "pngsuite/basn2c08.png";

const std::vector<int> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

std::vector<std::string> ExpectedLayout() {
    std::vector<std::string> files = {
        "bin/millconv",
        "lib/millconv/millconv-draw.so",
        "lib/millconv/millconv-ui.so",
        "share/millconv/gfx/handdrawn.zip",
        "share/millconv/gfx/flat.zip",
        "share/man/man1/millconv.1",
        "share/doc/millconv/millconv.html",
        "share/doc/millconv/millconv-preview.png",
        "share/doc/millconv/copyright",
        "share/doc/millconv/examples/millconv-watch.service",
        "share/applications/millconv.desktop",
        "share/icons/hicolor/scalable/apps/millconv.svg",
        "share/metainfo/millconv.metainfo.xml",
    };
    for (int size : kIconSizes) {
        const std::string side = std::to_string(size);
        files.push_back("share/icons/hicolor/" + side + "x" + side + "/apps/millconv.png");
    }
    return files;
}

// Width and height from a PNG's IHDR chunk; {0, 0} when the file is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string bytes = test::ReadAll(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    auto number = [&](size_t at) {
        int value = 0;
        for (size_t i = at; i < at + 4; ++i) {
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        }
        return value;
    };
    return {number(16), number(20)};
}

// A tool's standard output; the test fails on a non-zero status.
std::string ToolOutput(const std::string& tool, const std::vector<std::string>& arguments) {
    test::RunResult run = test::RunProgram(tool, arguments);
    EXPECT_EQ(run.status, 0) << tool << ": " << run.out << run.err;
    return run.out;
}

class InstalledProgramTest : public ::testing::Test {
  protected:
    // The program runs on a private home, never next to the build tree.
    test::RunResult Run(const std::string& program, const std::vector<std::string>& arguments) {
        auto environment = test::IsolatedEnvironment(home);
        environment["QT_QPA_PLATFORM"] = "offscreen";
        environment["DISPLAY"] = "";
        environment["WAYLAND_DISPLAY"] = "";
        // Under the sanitizers, the leak checker's summary of suppressed leaks is no error.
        if (const char* leakOptions = std::getenv("LSAN_OPTIONS")) {
            environment["LSAN_OPTIONS"] = std::string(leakOptions) + ":print_suppressions=0";
        }
        return test::RunProgram(program, arguments, environment, home.Path());
    }

    // Converts the sample with a frame and a text watermark; the bytes of the TGA written.
    std::string ConvertWithFrameAndWatermark(const std::string& program, const std::string& name) {
        const std::string output = home / name;
        fs::create_directory(output);
        test::RunResult run = Run(program, {"-i", kSample, "-o", output, "-q", "--fr-solid-left=3",
                                            "--fr-solid-top=2", "--fr-solid-left-color=12AB34",
                                            "--wm-text=Mill 29", "--wm-font-size=9"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return test::ReadAll(output + "/basn2c08.tga");
    }

    test::TempFolder home;
};

TEST_F(InstalledProgramTest, LayoutHoldsEveryFile) {
    for (const std::string& file : ExpectedLayout()) {
        EXPECT_TRUE(fs::is_regular_file(kInstalled + file)) << file;
    }
    EXPECT_TRUE((fs::status(kInstalledProgram).permissions() & fs::perms::owner_exec) !=
                fs::perms::none);
    for (int size : kIconSizes) {
        const std::string side = std::to_string(size);
        EXPECT_EQ(
            PngSize(kInstalled + "share/icons/hicolor/" + side + "x" + side + "/apps/millconv.png"),
            std::make_pair(size, size));
    }
    // Nothing of the build tree came along: the program finds its files through the layout.
    EXPECT_FALSE(fs::exists(kInstalled + "bin/millconv-draw.so"));
    EXPECT_FALSE(fs::exists(kInstalled + "bin/gfx"));
}

TEST_F(InstalledProgramTest, ConsoleConversionLoadsTheInstalledDrawModule) {
    const std::string installed = ConvertWithFrameAndWatermark(kInstalledProgram, "installed");
    const std::string built = ConvertWithFrameAndWatermark(test::MillconvPath(), "built");
    ASSERT_FALSE(installed.empty());
    EXPECT_TRUE(installed == built);

    // The frame and the text made a difference, so the module really drew.
    fs::create_directory(home / "plain");
    ASSERT_EQ(Run(kInstalledProgram, {"-i", kSample, "-o", home / "plain", "-q"}).status, 0);
    EXPECT_FALSE(test::ReadAll(home / "plain/basn2c08.tga") == installed);
}

TEST_F(InstalledProgramTest, MissingModuleNamesTheInstalledFolder) {
    // A copy of the installed tree without the draw module: the one-line error points at the
    // folder the program looked in, beside its own bin/.
    const std::string copy = home / "copy";
    fs::copy(kInstalled, copy, fs::copy_options::recursive);
    fs::remove(copy + "/lib/millconv/millconv-draw.so");
    test::RunResult run =
        Run(copy + "/bin/millconv", {"-i", kSample, "-o", home.Path(), "--fr-solid-left=3"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find(copy + "/lib/millconv/"), std::string::npos) << run.err;
    // Once: the module is looked for ahead of the frame too, but only the frame tells.
    EXPECT_EQ(run.err.find("millconv-draw.so"), run.err.rfind("millconv-draw.so")) << run.err;
}

TEST_F(InstalledProgramTest, ScreenshotModeFindsTheWindowModuleAndThemes) {
    const std::string installedShots = home / "installed-shots";
    const std::string builtShots = home / "built-shots";
    fs::create_directory(installedShots);
    fs::create_directory(builtShots);
    test::RunResult installed = Run(kInstalledProgram, {"-T", installedShots});
    ASSERT_EQ(installed.status, 0) << installed.err;
    ASSERT_EQ(Run(test::MillconvPath(), {"-T", builtShots}).status, 0);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(installedShots)) {
        names.push_back(entry.path().filename().string());
    }
    ASSERT_FALSE(names.empty());
    // The same pictures as the build tree's program, which reads the same themes from gfx/.
    for (const std::string& name : names) {
        EXPECT_TRUE(test::ReadAll(installedShots + "/" + name) ==
                    test::ReadAll(builtShots + "/" + name))
            << name;
    }
}

TEST(DesktopFilesTest, DesktopEntryIsValidAndOpensPngs) {
    const std::string entry = kInstalled + "share/applications/millconv.desktop";
    ToolOutput("/usr/bin/desktop-file-validate", {entry});
    const std::string text = test::ReadAll(entry);
    for (const char* line :
         {"Name=Pixelmill PNG to TGA\n", "Exec=millconv %f\n", "MimeType=image/png;\n",
          "Icon=millconv\n", "Categories=Graphics;2DGraphics;RasterGraphics;Qt;\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST(DesktopFilesTest, MetainfoIsValidWithReleaseAndScreenshot) {
    const std::string metainfo = kInstalled + "share/metainfo/millconv.metainfo.xml";
    ToolOutput("/usr/bin/appstreamcli", {"validate", "--no-net", metainfo});
    const std::string text = test::ReadAll(metainfo);
    EXPECT_NE(text.find("<release version=\"2.9\""), std::string::npos);
    EXPECT_NE(text.find("<screenshot type=\"default\">"), std::string::npos);
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">millconv.desktop</launchable>"),
              std::string::npos);
}

TEST(DebianPackageTest, FieldsAndDependencies) {
    const std::string info = ToolOutput("/usr/bin/dpkg-deb", {"--info", kPackage});
    for (const char* field : {"Package: millconv\n", "Version: 2.9.0\n", "Architecture: amd64\n",
                              "Section: graphics\n"}) {
        EXPECT_NE(info.find(field), std::string::npos) << field << info;
    }
    const size_t depends = info.find(" Depends: ");
    ASSERT_NE(depends, std::string::npos) << info;
    const std::string line = info.substr(depends, info.find('\n', depends) - depends);
    // Computed libraries of all three binaries, and the fonts by hand.
    for (const char* package : {"libfreeimage3", "libqt6widgets6", "libarchive13", "libcairo2",
                                "libpango-1.0-0", "fonts-liberation", "fonts-dejavu-core"}) {
        EXPECT_NE(line.find(package), std::string::npos) << package << line;
    }
    // Links and the manual open through xdg-open.
    EXPECT_NE(info.find(" Recommends: xdg-utils\n"), std::string::npos) << info;
    // No maintainer scripts.
    for (const char* script : {"preinst", "postinst", "prerm", "postrm"}) {
        EXPECT_EQ(info.find(std::string(" ") + script + "\n"), std::string::npos) << script;
    }
}

TEST(DebianPackageTest, ContentsFollowTheLayoutUnderUsr) {
    const std::string contents = ToolOutput("/usr/bin/dpkg-deb", {"--contents", kPackage});
    for (std::string file : ExpectedLayout()) {
        if (file == "share/man/man1/millconv.1") {
            file += ".gz"; // Debian gzips manual pages
        }
        EXPECT_NE(contents.find(" ./usr/" + file + "\n"), std::string::npos) << file;
    }
    EXPECT_NE(contents.find(" ./usr/share/doc/millconv/changelog.gz\n"), std::string::npos);
    EXPECT_EQ(contents.find("/local/"), std::string::npos);
}

TEST(DebianPackageTest, LintianFindsNoError) {
    test::RunResult run = test::RunProgram("/usr/bin/lintian", {"--fail-on", "error", kPackage});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("E: "), std::string::npos) << run.out;
}

} // namespace
} // namespace millconv
