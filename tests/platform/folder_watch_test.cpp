// Folder watching: events of a tree whose folders come and go, and files open for writing.
#include "platform/folder_watch.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace millconv {
namespace {

namespace fs = std::filesystem;
using Kind = FolderEvent::Kind;

// Reads events for up to five seconds until one of the wanted kind and path shows.
bool Sees(FolderWatch& watch, Kind kind, const std::string& path) {
    for (int round = 0; round < 50; ++round) {
        for (const FolderEvent& event : watch.Wait(-1, 100)) {
            if (event.kind == kind && event.path == path) {
                return true;
            }
        }
    }
    return false;
}

TEST(FolderWatchTest, FollowsFoldersMadeMovedInAndMovedAway) {
    test::TempFolder tree;
    test::TempFolder outside;
    fs::create_directories(tree / "old/deep");
    FolderWatch watch;
    std::vector<std::string> problems;
    ASSERT_TRUE(watch.AddTree(tree.Path(), problems));
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(watch.WatchCount(), 3u);

    std::ofstream(tree / "old/deep/a.png") << "a";
    EXPECT_TRUE(Sees(watch, Kind::FileWritten, tree / "old/deep/a.png"));

    fs::create_directory(outside / "arriving");
    fs::rename(outside / "arriving", tree / "arriving");
    EXPECT_TRUE(Sees(watch, Kind::FolderAdded, tree / "arriving"));

    std::ofstream(outside / "b.png") << "b";
    fs::rename(outside / "b.png", tree / "old/b.png");
    EXPECT_TRUE(Sees(watch, Kind::FileMovedIn, tree / "old/b.png"));

    // Moved out of the tree: its two folders are no longer watched.
    fs::rename(tree / "old", outside / "old");
    EXPECT_TRUE(Sees(watch, Kind::FolderGone, tree / "old"));
    EXPECT_EQ(watch.WatchCount(), 1u);
}

TEST(FolderWatchTest, AMissingRootIsRefused) {
    test::TempFolder tree;
    FolderWatch watch;
    std::vector<std::string> problems;
    EXPECT_FALSE(watch.AddTree(tree / "missing", problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].starts_with(tree / "missing: ")) << problems[0];
}

TEST(FolderWatchTest, TellsFilesOpenForWriting) {
    test::TempFolder folder;
    const std::string path = folder / "f.png";
    {
        std::ofstream writing(path);
        writing << "half";
        writing.flush();
        EXPECT_TRUE(OpenForWriting(path));
        std::ifstream reading(path);
        EXPECT_TRUE(OpenForWriting(path));
    }
    std::ifstream reading(path);
    EXPECT_FALSE(OpenForWriting(path));
    EXPECT_FALSE(OpenForWriting(folder / "missing.png"));
}

} // namespace
} // namespace millconv
