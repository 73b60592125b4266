// Output names: template lowering, placeholders, case mapping and subfolders.
#include "engine_test_support.h"

#include "base/text.h"
#include "engine/naming.h"

#include <ctime>

namespace millconv::test {
namespace {

class NamingTest : public EngineTest {
  protected:
    std::string NameFor(const std::string& mask, const std::string& input) {
        gSettings.advanced.filenameMask = mask;
        gJob.currentInput = "/home/user/images/" + input;
        return ExpandFilenameMask();
    }
};

TEST_F(NamingTest, TemplateExamples) {
    EXPECT_EQ(NameFor("", "photo.png"), "photo.tga");
    EXPECT_EQ(NameFor("%filename%.%ext%", "My.Photo.png"), "My.Photo.tga");
    EXPECT_EQ(NameFor("%filename[u]%_%ext[u]%.%ext%", "Photo.Final.png"), "PHOTO.FINAL_TGA.tga");
    EXPECT_EQ(NameFor("%filename[t]%.%ext%", "hELLO.png"), "Hello.tga");
    EXPECT_EQ(NameFor("%filename[l]%.%ext[t]%", "MiXeD.png"), "mixed.Tga");
    EXPECT_EQ(NameFor("IMG_%n%.%ext%", "a.png"), "img_00001.tga");
    EXPECT_EQ(NameFor("%FILENAME%.%EXT%", "Photo.png"), "Photo.tga");
    EXPECT_EQ(NameFor("%filename%", "noext"), "noext");
}

TEST_F(NamingTest, NumbersSizesAndDepth) {
    gJob.sequenceNumber = 7;
    gJob.randomNumber = 123456; // six digits keep their first five
    gJob.requestedDepth = 24;
    gJob.imageWidth = 640;
    gJob.imageHeight = 480;
    EXPECT_EQ(NameFor("%n%-%rnd%-%bpp%-%width%x%height%.%ext%", "a.png"),
              "00007-12345-24-640x480.tga");
}

TEST_F(NamingTest, TextFromEarlierPlaceholdersIsExpandedLater) {
    gJob.sequenceNumber = 3;
    EXPECT_EQ(NameFor("%filename%.%ext%", "shot_%N%.png"), "shot_00003.tga");
}

TEST_F(NamingTest, DateAndTimeParts) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string name = NameFor("%yyyy%-%mm%-%dd% %hh%", "a.png");
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y-%m-%d %H", &local);
    EXPECT_EQ(name, expected);
    EXPECT_EQ(NameFor("%ii%%ss%", "a.png").size(), 4u);
}

TEST_F(NamingTest, WatermarkTextKeepsItsCase) {
    gJob.currentInput = "/tmp/Beach.png";
    gJob.sequenceNumber = 1;
    EXPECT_EQ(ExpandPlaceholders("Photo %N% of %FileName%"), "Photo 00001 of Beach");
    EXPECT_EQ(ExpandPlaceholders("100% SAFE"), "100% SAFE");
}

TEST_F(NamingTest, OutputPathHonoursKeepSubfolders) {
    gJob.outputFolder = "/tmp/out/";
    gJob.relativeSubfolder = "sub/";
    gSettings.advanced.filenameMask = "%filename%.%ext%";
    gJob.currentInput = "/tmp/in/sub/a.png";
    gSettings.advanced.keepSubfolders = 1;
    EXPECT_EQ(BuildOutputPath(), "/tmp/out/sub/a.tga");
    gSettings.advanced.keepSubfolders = 0;
    EXPECT_EQ(BuildOutputPath(), "/tmp/out/a.tga");
}

TEST(NamingHelpersTest, StripExtension) {
    EXPECT_EQ(StripExtension("a.b.png"), "a.b");
    EXPECT_EQ(StripExtension("name"), "name");
    EXPECT_EQ(StripExtension(""), "");
    EXPECT_EQ(StripExtension(".hidden"), "");
}

TEST(NamingHelpersTest, RelativeSubfolderOnlyBelowTheBase) {
    EXPECT_EQ(RelativeSubfolder("/data/in/sub/a.png", "/data/in/"), "sub/");
    EXPECT_EQ(RelativeSubfolder("/data/in/a.png", "/data/in/"), "");
    EXPECT_EQ(RelativeSubfolder("/data/in/x/y/a.png", "/data/in"), "x/y/");
    EXPECT_EQ(RelativeSubfolder("/data/input/a.png", "/data/in"), "");
    // The base text inside another path does not make it a subfolder.
    EXPECT_EQ(RelativeSubfolder("/other/data/in/a.png", "/data/in/"), "");
    EXPECT_EQ(RelativeSubfolder("", "/data/"), "");
    EXPECT_EQ(RelativeSubfolder("/data/a.png", ""), "");
}

TEST(NamingHelpersTest, CaseMappingCoversLettersBeyondAscii) {
    EXPECT_EQ(ToUpperText("straße über"), "STRAßE ÜBER");
    EXPECT_EQ(ToLowerText("ÉCOLE"), "école");
    EXPECT_EQ(ToTitleText("éLAN"), "Élan");
    EXPECT_EQ(ToUpperText("bad\xff byte"), "BAD\xff BYTE");
}

TEST(NamingHelpersTest, NamesStayBelowTheOutputFolder) {
    for (const char* inside : {"a.tga", "sub/a.tga", "sub/deeper/a.tga", "..a.tga", "a..tga",
                               "./a.tga", "sub/..x/a.tga", "sub/x../a.tga"}) {
        EXPECT_TRUE(NameStaysInside(inside)) << inside;
    }
    // Any ".." part is refused, even one that would come back inside.
    for (const char* outside : {"/a.tga", "../a.tga", "..", "sub/../../a.tga", "sub/../a.tga",
                                "a.tga/..", "//a.tga"}) {
        EXPECT_FALSE(NameStaysInside(outside)) << outside;
    }
}

} // namespace
} // namespace millconv::test
