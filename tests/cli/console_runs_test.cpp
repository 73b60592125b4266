// Golden console runs: each case under tests/cli/cases runs the real executable and compares
// its exit status and stdout line for line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace millconv {
namespace {

namespace fs = std::filesystem;

const fs::path kCaseFolder = fs::path(MILLCONV_SOURCE_DIR) / "tests/cli/cases";
const fs::path kSampleImage = fs::path(MILLCONV_CORPUS_DIR) / "pngsuite/basn2c08.png";
const fs::path kBrokenImage = fs::path(MILLCONV_CORPUS_DIR) / "libpng-testpngs/crashers_badcrc.png";

// A case file: "== section" lines open sections; "#" lines outside sections are comments.
//   == args          one program parameter per line (blanks kept)
//   == exit          the expected exit status
//   == stdout        the expected stdout lines, compared exactly
//   == stderr        the expected stderr lines, compared exactly (unchecked when absent)
//   == cwd           working folder of the run (default: the case's temporary folder)
//   == file PATH     a file written before the run, with the section's lines
//   == exists        paths that must exist after the run
//   == absent        paths that must not exist after the run
// {tmp} is the case's temporary folder, {prog} the program folder (ending with '/').
struct Case {
    std::vector<std::string> args;
    int exitStatus = 0;
    std::vector<std::string> stdoutLines;
    std::optional<std::vector<std::string>> stderrLines;
    std::string cwd;
    std::vector<std::pair<std::string, std::vector<std::string>>> files;
    std::vector<std::string> exists;
    std::vector<std::string> absent;
};

Case ReadCase(const fs::path& path) {
    Case result;
    std::ifstream in(path);
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (line.rfind("== ", 0) == 0) {
            section = line.substr(3);
            if (section.rfind("file ", 0) == 0) {
                result.files.push_back({section.substr(5), {}});
                section = "file";
            }
            continue;
        }
        if (section.empty()) {
            continue; // comments before the first section
        }
        if (section == "args") {
            result.args.push_back(line);
        } else if (section == "exit") {
            result.exitStatus = std::stoi(line);
        } else if (section == "stdout") {
            if (!line.empty()) { // the program never prints an empty line; " " is kept
                result.stdoutLines.push_back(line);
            }
        } else if (section == "stderr") {
            if (!result.stderrLines) {
                result.stderrLines.emplace();
            }
            if (!line.empty()) {
                result.stderrLines->push_back(line);
            }
        } else if (section == "cwd") {
            result.cwd = line;
        } else if (section == "file") {
            result.files.back().second.push_back(line);
        } else if (section == "exists") {
            result.exists.push_back(line);
        } else if (section == "absent") {
            result.absent.push_back(line);
        }
    }
    return result;
}

std::string Expand(std::string text, const std::map<std::string, std::string>& values) {
    for (const auto& [name, value] : values) {
        for (size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + value.size())) {
            text.replace(at, name.size(), value);
        }
    }
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

struct RunResult {
    int exitStatus = -1;
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs a program with stdin on /dev/null (no terminal), HOME and the XDG folders in tmp.
RunResult Spawn(const std::string& program, const std::vector<std::string>& args,
                const std::string& cwd, const std::string& tmp) {
    RunResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return result;
    }
    std::vector<std::string> envStrings = {"HOME=" + tmp, "XDG_CONFIG_HOME=" + tmp + "/config",
                                           "XDG_RUNTIME_DIR=" + tmp, "PATH=/usr/bin:/bin",
                                           "LC_ALL=C"};
    // Sanitizer settings of the test run reach the program; by default a sanitized program
    // gets full malloc stacks and the suppression of fontconfig's lifelong allocations.
    bool asanGiven = false;
    bool lsanGiven = false;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        asanGiven = asanGiven || std::strncmp(*entry, "ASAN_OPTIONS=", 13) == 0;
        lsanGiven = lsanGiven || std::strncmp(*entry, "LSAN_OPTIONS=", 13) == 0;
        if (std::strncmp(*entry, "ASAN_", 5) == 0 || std::strncmp(*entry, "UBSAN_", 6) == 0 ||
            std::strncmp(*entry, "LSAN_", 5) == 0) {
            envStrings.emplace_back(*entry);
        }
    }
    if (!asanGiven) {
        envStrings.emplace_back("ASAN_OPTIONS=fast_unwind_on_malloc=0");
    }
    if (!lsanGiven) {
        envStrings.emplace_back("LSAN_OPTIONS=suppressions=" MILLCONV_SOURCE_DIR
                                "tests/lsan.supp:print_suppressions=0");
    }
    std::vector<char*> env;
    for (std::string& item : envStrings) {
        env.push_back(item.data());
    }
    env.push_back(nullptr);
    std::vector<std::string> argStrings = {program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& item : argStrings) {
        argv.push_back(item.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }

    // Read both pipes until they close; a run that outlives the limit is killed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) != 0) {
                char buffer[4096];
                const ssize_t count = read(fds[i].fd, buffer, sizeof(buffer));
                if (count > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(count));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// A temporary folder with the inputs every case may use and a program folder of its own,
// so that relative output folders resolve somewhere the test controls.
class CaseFolder {
  public:
    CaseFolder() {
        std::string pattern = (fs::temp_directory_path() / "millconv-cli-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(root_ / "in/folder.png");
        fs::create_directories(root_ / "out/sub");
        fs::create_directories(root_ / "config");
        fs::copy_file(kSampleImage, root_ / "in/a.png");
        fs::copy_file(kSampleImage, root_ / "in/my pic.png");
        fs::copy_file(kSampleImage, root_ / "in/photo.jpg");
        fs::copy_file(kSampleImage, root_ / "in/photo");
        fs::copy_file(kSampleImage, root_ / "in/list.txt");
        fs::copy_file(kBrokenImage, root_ / "in/broken.png");
        std::ofstream(root_ / "in/empty.png").flush();

        // The program folder is where the executable lives (/proc/self/exe), so the program
        // is linked or copied into a folder of the case.
        const fs::path prog = root_ / "prog";
        fs::create_directories(prog / "out");
        const fs::path binary = fs::path(MILLCONV_BINARY_DIR) / "millconv";
        std::error_code error;
        fs::create_hard_link(binary, prog / "millconv", error);
        if (error) {
            fs::copy_file(binary, prog / "millconv");
        }
        const fs::path draw = fs::path(MILLCONV_BINARY_DIR) / "millconv-draw.so";
        if (fs::exists(draw)) {
            fs::create_symlink(draw, prog / "millconv-draw.so");
        }
    }
    ~CaseFolder() {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    CaseFolder(const CaseFolder&) = delete;
    CaseFolder& operator=(const CaseFolder&) = delete;

    std::string Tmp() const { return root_.string(); }
    std::string Prog() const { return (root_ / "prog").string() + "/"; }

  private:
    fs::path root_;
};

// Every path below folder, sorted.
std::vector<std::string> FolderTree(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCaseFolder)) {
        if (entry.path().extension() == ".case") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ConsoleRun : public testing::TestWithParam<std::string> {};

TEST_P(ConsoleRun, MatchesGoldenOutput) {
    const Case want = ReadCase(kCaseFolder / (GetParam() + ".case"));
    CaseFolder folder;
    const std::map<std::string, std::string> values = {{"{tmp}", folder.Tmp()},
                                                       {"{prog}", folder.Prog()}};
    for (const auto& [path, lines] : want.files) {
        std::ofstream out(Expand(path, values), std::ios::binary);
        for (const std::string& line : lines) {
            out << Expand(line, values) << '\n';
        }
    }
    std::vector<std::string> args;
    for (const std::string& arg : want.args) {
        args.push_back(Expand(arg, values));
    }
    const std::string cwd = want.cwd.empty() ? folder.Tmp() : Expand(want.cwd, values);

    const std::vector<std::string> programFiles = FolderTree(folder.Prog());
    const RunResult run = Spawn(folder.Prog() + "millconv", args, cwd, folder.Tmp());
    // Whatever the case, a run writes nothing beside the program.
    EXPECT_EQ(FolderTree(folder.Prog()), programFiles);

    ASSERT_FALSE(run.timedOut) << "the run did not end";
    std::vector<std::string> expected;
    for (const std::string& line : want.stdoutLines) {
        expected.push_back(Expand(line, values));
    }
    EXPECT_EQ(SplitLines(run.out), expected) << "stderr: " << run.err;
    EXPECT_EQ(run.exitStatus, want.exitStatus) << "stderr: " << run.err;
    if (want.stderrLines) {
        std::vector<std::string> expectedErrors;
        for (const std::string& line : *want.stderrLines) {
            expectedErrors.push_back(Expand(line, values));
        }
        EXPECT_EQ(SplitLines(run.err), expectedErrors);
    }
    for (const std::string& path : want.exists) {
        EXPECT_TRUE(fs::exists(Expand(path, values))) << path;
    }
    for (const std::string& path : want.absent) {
        EXPECT_FALSE(fs::exists(Expand(path, values))) << path;
    }
}

// -p waits for a key only when stdin is a terminal, and only when it came before the
// failing option.
class PauseOnTerminal : public testing::Test {
  protected:
    // Starts the program with stdin on a new terminal; stdout goes to /dev/null.
    pid_t Start(const std::vector<std::string>& args) {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
            return -1;
        }
        std::vector<std::string> argStrings = {folder_.Prog() + "millconv"};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& item : argStrings) {
            argv.push_back(item.data());
        }
        argv.push_back(nullptr);
        std::string home = "HOME=" + folder_.Tmp();
        std::string runtime = "XDG_RUNTIME_DIR=" + folder_.Tmp();
        char* env[] = {home.data(), runtime.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, slave_, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        if (posix_spawn(&pid, argStrings[0].c_str(), &actions, nullptr, argv.data(), env) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // The exit status once the program has ended within the time limit, or -1.
    static int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            usleep(10000);
        }
        return -1;
    }

    void TearDown() override {
        if (master_ >= 0) {
            close(master_);
        }
        if (slave_ >= 0) {
            close(slave_);
        }
    }

    CaseFolder folder_;
    int master_ = -1;
    int slave_ = -1;
};

TEST_F(PauseOnTerminal, WaitsForAKeyAfterAnErrorWhenGivenFirst) {
    const pid_t pid = Start({"-p", "-c"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitForExit(pid, std::chrono::milliseconds(500)), -1) << "did not wait";
    ASSERT_EQ(write(master_, "x", 1), 1);
    const int status = WaitForExit(pid, std::chrono::seconds(30));
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(status, 1);
}

TEST_F(PauseOnTerminal, DoesNotWaitWhenTheFailingOptionTookIt) {
    const pid_t pid = Start({"-c", "-p"});
    ASSERT_GT(pid, 0);
    const int status = WaitForExit(pid, std::chrono::seconds(30));
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(status, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConsoleRun, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });

} // namespace
} // namespace millconv
