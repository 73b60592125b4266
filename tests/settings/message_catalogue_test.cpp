// Message catalogue look-ups and message formatting.
#include "settings/message_catalogue.h"

#include <string>

#include <gtest/gtest.h>

#include "settings/message_table.h"

namespace millconv {
namespace {

constexpr const char* kNone = "%NO_STRING_ERROR%";

TEST(MessageCatalogue, MatchesSectionAndKeyInAnyLetterCase) {
    const std::string stored = CatalogueText("Msg", "Ask reset to defaults");
    EXPECT_EQ(stored, "Are you sure you want to reset all your settings to the default values?");
    EXPECT_EQ(CatalogueText("msg", "ask reset to defaults"), stored);
    EXPECT_EQ(CatalogueText("MSG", "ASK RESET TO DEFAULTS"), stored);
    EXPECT_EQ(CatalogueText("custom-converter", "title"), "Find a File Converter");
}

TEST(MessageCatalogue, UnknownEntriesGiveTheErrorText) {
    EXPECT_EQ(CatalogueText("Nowhere", "Error"), kNone);
    EXPECT_EQ(CatalogueText("Msg", "Error!"), kNone);
    EXPECT_EQ(CatalogueText("Msg", ""), kNone);
    EXPECT_EQ(CatalogueText("", "Error"), kNone);
    EXPECT_EQ(CatalogueText("Msg", "Zebra"), kNone); // no Msg key begins with Z
    EXPECT_EQ(CatalogueText("Msg", "Err"), kNone);   // a prefix of a key is not the key
    // A key of another section is not found through this one.
    EXPECT_EQ(CatalogueText("About", "Convert"), kNone);
}

TEST(MessageCatalogue, AlternatingSectionsFindTheRightTexts) {
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(CatalogueText("Menu", "Convert"), "Convert");
        EXPECT_EQ(CatalogueText("Preferences", "Title"), "Preferences...");
        EXPECT_EQ(CatalogueText("About", "Title"), "About...");
        EXPECT_EQ(CatalogueText("Nowhere", "Title"), kNone);
        EXPECT_EQ(CatalogueText("Uninstall", "Title"), "Uninstall");
        EXPECT_EQ(CatalogueText("Menu", "Open"), "Open...");
    }
}

TEST(MessageCatalogue, FindsKeysThroughoutASortedSection) {
    // First, last and prefix-sharing keys of a section.
    EXPECT_EQ(CatalogueText("Menu", "About"), "About...");
    EXPECT_EQ(CatalogueText("Menu", "Visit Homepage"), "Visit the Program's Homepage");
    EXPECT_EQ(CatalogueText("Menu", "Select Input File"), "Add Input File...");
    EXPECT_EQ(CatalogueText("Menu", "Select Input Files"), "Add Input Files...");
    EXPECT_EQ(CatalogueText("General", "Input File"), "Input File:");
    EXPECT_EQ(CatalogueText("General", "Input Files"), "Input Files:");
    EXPECT_EQ(CatalogueText("Preferences", "Image"), "Image:");
    EXPECT_EQ(CatalogueText("Preferences", "Image Width"), "Image Width:");
    EXPECT_EQ(CatalogueText("Preferences", "RGB"), "RGB");
    EXPECT_EQ(CatalogueText("Preferences", "RGB48HS"), "RGB 48-bit (HS)");
    EXPECT_EQ(CatalogueText("Preferences", "X-Offset"), "X-Offset:");
    EXPECT_EQ(CatalogueText("Msg", "Invalid input folder"),
              "The following input folder is invalid or doesn't exist:\r\n%s1%\r\n\r\n"
              "Please, correct the input path and try again!");
}

TEST(MessageCatalogue, PreferencesHoldsTheDuplicateMedium) {
    size_t entries = 0;
    size_t mediums = 0;
    bool inPreferences = false;
    for (const MessagePair& pair : BuiltInMessageTable()) {
        if (pair.first == "_GROUP_") {
            inPreferences = pair.second == "Preferences";
        } else if (inPreferences) {
            ++entries;
            mediums += pair.first == "Medium";
        }
    }
    EXPECT_EQ(entries, 220u);
    EXPECT_EQ(mediums, 2u);
    EXPECT_EQ(CatalogueText("Preferences", "Medium"), "Medium");
    EXPECT_EQ(CatalogueText("Preferences", "medium"), "Medium");
}

TEST(FormatMessage, ReplacesPlaceholdersOneToFourInAnyCase) {
    EXPECT_EQ(FormatMessage("(%s1%/%s2%)", "3", "7"), "(3/7)");
    EXPECT_EQ(FormatMessage("%S1% and %s1%", "x"), "x and x");
    EXPECT_EQ(FormatMessage("%s4%%s3%%s2%%s1%", "a", "b", "c", "d"), "dcba");
    // A value holding a later placeholder is expanded by the later step, not an earlier one.
    EXPECT_EQ(FormatMessage("%s1%", "[%s2%]", "two"), "[two]");
    EXPECT_EQ(FormatMessage("%s2%", "one", "[%s1%]"), "[%s1%]");
    // A value holding its own placeholder must not be expanded again.
    EXPECT_EQ(FormatMessage("%s1%-%s1%", "%s1%"), "%s1%-%s1%");
}

TEST(FormatMessage, EmptyValuesLeaveTheirPlaceholders) {
    EXPECT_EQ(FormatMessage("Files converted: %s1% of %s2%", "1"), "Files converted: 1 of %s2%");
    EXPECT_EQ(FormatMessage("%s1%|%s2%", "", "b"), "%s1%|b");
    EXPECT_EQ(FormatMessage("", "a", "b"), "");
    EXPECT_EQ(FormatMessage("no placeholders", "a"), "no placeholders");
}

} // namespace
} // namespace millconv
