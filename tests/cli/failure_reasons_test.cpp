// A file that cannot be read or written names the system's reason on stderr, as a damaged or
// missing input does (those are golden runs under cases/).
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "support/process.h"

namespace millconv {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

struct ShutCase {
    const char* name;
    mode_t inputMode;  // of the input file
    mode_t outputMode; // of the output folder
    const char* named; // what stderr must name, below the temporary root
};

// Root reads and writes anywhere, so a run as root plays another user, for whom the file or
// folder is shut.
TEST(FailureReasons, ShutFilesAreNamedWithTheSystemsReason) {
    const ShutCase cases[] = {
        {"unwritable output folder", 0644, 0555, "shut/a.tga: Permission denied\n"},
        {"unreadable input", 0200, 0755, "a.png: Permission denied\n"},
    };
    for (const ShutCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder root;
        const bool switchUser = getuid() == 0;
        chmod(root.Path().c_str(), 0755);
        fs::copy_file(fs::path(MILLCONV_CORPUS_DIR) / "pngsuite/basn2c08.png", root / "a.png");
        chmod((root / "a.png").c_str(), c.inputMode);
        fs::create_directory(root / "shut");
        chmod((root / "shut").c_str(), c.outputMode);
        fs::create_directory(root / "tmp");
        chmod((root / "tmp").c_str(), 01777);
        auto environment = test::IsolatedEnvironment(root / "tmp/");
        environment["XDG_RUNTIME_DIR"] = "";
        environment["TMPDIR"] = root / "tmp";

        const test::RunResult run = test::RunProgram(
            test::MillconvPath(), {"-q", "-i", root / "a.png", "-o", root / "shut"}, environment,
            root.Path(), switchUser ? std::optional<uid_t>(kNobody) : std::nullopt);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out, "Conversion stopped\n");
        EXPECT_NE(run.err.find(root / c.named), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(root / "shut"));
    }
}

} // namespace
} // namespace millconv
