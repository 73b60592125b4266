// Test support: a millconv child run with its wall time and peak memory, under limits the
// test sets in the child.
#pragma once

#include "support/process.h"

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>

namespace millconv::test {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct LimitedRun {
    RunResult result;
    long peakKiB = 0;
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the child: steady on a busy machine
};

// Runs millconv with a private environment; setup runs in the child just before exec, once
// stdin, stdout and stderr are in place (limits, streams of its own).
inline LimitedRun RunMillconv(const TempFolder& home, const std::vector<std::string>& arguments,
                              const std::function<void()>& setup = {},
                              std::map<std::string, std::string> environment = {}) {
    for (const auto& [name, value] : IsolatedEnvironment(home)) {
        environment.emplace(name, value);
    }
    char outName[] = "/tmp/millconv-out-XXXXXX";
    char errName[] = "/tmp/millconv-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    const std::string program = MillconvPath();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        for (const auto& [name, value] : environment) {
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        }
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (setup) {
            setup();
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    LimitedRun run;
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(outFd);
    close(errFd);
    run.result.out = ReadWholeFile(outName);
    run.result.err = ReadWholeFile(errName);
    unlink(outName);
    unlink(errName);
    return run;
}

// Without the sanitizers a runaway allocation must not take the machine down with the test.
inline void CapMemory() {
    if (!kSanitized) {
        const rlimit cap{2UL << 30, 2UL << 30};
        setrlimit(RLIMIT_AS, &cap);
    }
}

} // namespace millconv::test
