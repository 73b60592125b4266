// Safe save: failed writes leave nothing behind and never damage an existing file.
#include "engine_test_support.h"

#include "engine/save.h"

#include <csignal>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace millconv::test {
namespace {

TEST(SaveTest, WritesTheFileWithoutLeftovers) {
    TempFolder folder;
    Bitmap image = Gradient(40, 30);
    ASSERT_TRUE(SaveBitmapSafely(image.get(), FIF_TARGA, folder / "out.tga", 0));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.tga"});
    Bitmap loaded = LoadTga(folder / "out.tga");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(FreeImage_GetWidth(loaded.get()), 40u);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "out.tga").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRUSR, 0u);
}

TEST(SaveTest, RefusedWriterKeepsTheExistingFile) {
    TempFolder folder;
    std::ofstream(folder / "out.tga") << "precious";
    Bitmap deep(FreeImage_AllocateT(FIT_RGBF, 8, 8));
    EXPECT_FALSE(SaveBitmapSafely(deep.get(), FIF_TARGA, folder / "out.tga", 0));
    EXPECT_FALSE(SaveBitmapSafely(nullptr, FIF_TARGA, folder / "out.tga", 0));
    EXPECT_FALSE(SaveBitmapSafely(Gradient(4, 4).get(), FIF_UNKNOWN, folder / "out.tga", 0));
    EXPECT_EQ(ReadAll(folder / "out.tga"), "precious");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.tga"});
}

TEST(SaveTest, MissingFolderOrFolderTargetFails) {
    TempFolder folder;
    Bitmap image = Gradient(4, 4);
    EXPECT_FALSE(SaveBitmapSafely(image.get(), FIF_TARGA, folder / "none/out.tga", 0));
    std::filesystem::create_directory(folder / "dir.tga");
    EXPECT_FALSE(SaveBitmapSafely(image.get(), FIF_TARGA, folder / "dir.tga", 0));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"dir.tga"});
}

TEST(SaveTest, WriteBeyondTheFileSizeLimitFailsAndKeepsTheOldFile) {
    TempFolder folder;
    std::ofstream(folder / "out.tga") << "precious";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writes past the limit fail with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = 10000;
        limit.rlim_max = 10000;
        setrlimit(RLIMIT_FSIZE, &limit);
        Bitmap image = Gradient(200, 200);
        const bool saved = SaveBitmapSafely(image.get(), FIF_TARGA, folder / "out.tga", 0);
        _exit(saved ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
    EXPECT_EQ(ReadAll(folder / "out.tga"), "precious");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.tga"});
}

TEST(SaveTest, ReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    std::ofstream(folder / "out.tga") << "old";
    ASSERT_EQ(::chmod((folder / "out.tga").c_str(), 0640), 0);
    ASSERT_TRUE(SaveBitmapSafely(Gradient(4, 4).get(), FIF_TARGA, folder / "out.tga", 0));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "out.tga").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_NE(ReadAll(folder / "out.tga"), "old");
}

} // namespace
} // namespace millconv::test
