// Test support: running the millconv executable as a child process.
#pragma once

#include "support/temp_folder.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace millconv::test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct RunResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Starts a program with the given arguments, an environment built from the current one with
// `environment` applied (an empty value removes the variable), stdin from /dev/null, stdout
// and stderr into the given descriptors; as another user when one is given and the test may
// switch (runs as root). Returns the child's process id.
inline pid_t StartChild(const std::string& program, const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment,
                        const std::string& workingFolder, int outFd, int errFd,
                        std::optional<uid_t> user = std::nullopt) {
    pid_t child = fork();
    if (child == 0) {
        for (const auto& [name, value] : environment) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) {
            _exit(126);
        }
        if (user && (setgid(*user) != 0 || setuid(*user) != 0)) {
            _exit(126);
        }
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

inline int WaitForChild(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a program as StartChild does and waits for it.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& environment = {},
                            const std::string& workingFolder = {},
                            std::optional<uid_t> user = std::nullopt) {
    char outName[] = "/tmp/millconv-out-XXXXXX";
    char errName[] = "/tmp/millconv-err-XXXXXX";
    int outFd = mkstemp(outName);
    int errFd = mkstemp(errName);
    RunResult result;
    result.status =
        WaitForChild(StartChild(program, arguments, environment, workingFolder, outFd, errFd, user));
    close(outFd);
    close(errFd);
    result.out = ReadWholeFile(outName);
    result.err = ReadWholeFile(errName);
    unlink(outName);
    unlink(errName);
    return result;
}

// A program left running while the test goes on; its output collects in files of `folder`.
// A program still running when the test ends is killed.
class BackgroundProgram {
  public:
    BackgroundProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const TempFolder& folder)
        : outName_(folder / "background.out"), errName_(folder / "background.err") {
        const int outFd = open(outName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = open(errName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        child_ = StartChild(program, arguments, environment, {}, outFd, errFd);
        close(outFd);
        close(errFd);
    }
    ~BackgroundProgram() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            WaitForChild(child_);
        }
    }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    pid_t Pid() const { return child_; }
    std::string Out() const { return ReadWholeFile(outName_); }

    // Sends the signal and waits for the program to end.
    RunResult Stop(int signal) {
        RunResult result;
        kill(child_, signal);
        result.status = WaitForChild(child_);
        child_ = -1;
        result.out = ReadWholeFile(outName_);
        result.err = ReadWholeFile(errName_);
        return result;
    }

  private:
    std::string outName_;
    std::string errName_;
    pid_t child_ = -1;
};

// Polls the condition every 10 ms until it holds or the limit passes; its last answer.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The built executable.
inline std::string MillconvPath() { return std::string(MILLCONV_BINARY_DIR) + "millconv"; }

// An environment that keeps a child away from the real home folder and from other
// instances' lock files: everything lives in `folder` (a path ending with '/').
inline std::map<std::string, std::string> IsolatedEnvironment(const std::string& folder) {
    return {{"HOME", folder}, {"XDG_CONFIG_HOME", folder + ".config"}, {"XDG_RUNTIME_DIR", folder}};
}

inline std::map<std::string, std::string> IsolatedEnvironment(const TempFolder& folder) {
    return IsolatedEnvironment(folder.Path());
}

// Sets environment variables of this process for one scope (an empty value unsets one) and
// puts the old values back.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const std::map<std::string, std::string>& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_.emplace_back(name,
                                old != nullptr ? std::optional<std::string>(old) : std::nullopt);
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace millconv::test
