// Start-up: product tables, single-instance guard, command line, then the window module.
#include "app/startup.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sysexits.h>
#include <unistd.h>

#include "app/app_info.h"
#include "base/product.h"
#include "cli/command_line.h"
#include "platform/files.h"
#include "platform/hand_over.h"
#include "platform/instance_lock.h"
#include "platform/module_loader.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"

namespace millconv {

namespace {

std::vector<std::string> gParameters;
std::string gInvocation;
bool gConsoleRun = false;

// Entry point the window module exports; it runs the window mode and returns the exit status.
using WindowEntry = int (*)(int argc, char** argv);
constexpr const char* kUiModule = "millconv-ui.so";
constexpr const char* kUiEntry = "millconv_run_window";
// How long a file handed to the running window may take to be taken.
constexpr std::chrono::milliseconds kHandOverLimit{5000};

int RunWindowMode(int argc, char** argv) {
    std::string error;
    auto entry = reinterpret_cast<WindowEntry>(LoadModuleEntry(kUiModule, kUiEntry, error));
    if (entry == nullptr) {
        PrintErrorLine(error);
        return 1;
    }
    return entry(argc, argv);
}

// The "Open with" start: one parameter that is no option and names an existing file (made
// absolute, since the window runs elsewhere); empty otherwise.
std::string HandOverCandidate() {
    if (gParameters.size() != 1 || gParameters[0].empty() || gParameters[0][0] == '-' ||
        FileSize(gParameters[0]) < 0) {
        return {};
    }
    const std::string& given = gParameters[0];
    return given[0] == '/' ? given : CurrentFolder() + given;
}

// The start another instance holds the lock against: a file opened with the program goes to
// the running window; a window start stays silent; a scripted run learns why nothing happened.
int RefusedStart(const InstanceLock& instance) {
    if (!instance.Problem().empty()) {
        PrintErrorLine("millconv: cannot make sure that no other instance runs: " +
                       instance.Problem());
        return EX_TEMPFAIL;
    }
    const std::string file = HandOverCandidate();
    if (!file.empty() && HandOverFile(HandOverSocketPath(AppTitle()), file, kHandOverLimit)) {
        return 0;
    }
    if (!gParameters.empty()) {
        PrintErrorLine("millconv: another instance of " + AppTitle() + " is running (lock " +
                       InstanceLock::LockPath(AppTitle()) + ")");
        return EX_TEMPFAIL; // "try again later", told apart from a failed conversion
    }
    return 0;
}

} // namespace

const std::vector<std::string>& ProgramParameters() { return gParameters; }

int RunApplication(int argc, char** argv) {
    // Over a file-size limit a write must fail and be cleaned up, not kill the process with a
    // temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of stdout or stderr that goes away must not kill a run mid-save: the failed
    // write is noticed and the run ends after its current files.
    std::signal(SIGPIPE, SIG_IGN);
    gInvocation = argc > 0 ? argv[0] : "millconv";
    gParameters.assign(argv + (argc > 0 ? 1 : 0), argv + argc);

    // Product lists and catalogues first: defaults and the command line rely on them.
    InputFormatList();
    OutputFormatList();
    GadgetImageNumbers();
    MenuImageNumbers();
    ToolbarImageNumbers();

    InstanceLock instance;
    const auto guard = [&instance]() -> std::optional<int> {
        if (instance.Acquire(AppTitle())) {
            return std::nullopt;
        }
        return RefusedStart(instance);
    };

    if (std::optional<int> status = RunCommandLine(gParameters, gInvocation, guard)) {
        gConsoleRun = true;
        return *status;
    }
    return RunWindowMode(argc, argv);
}

void EndProcess(int status) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool kCheckedExit = true; // the leak check runs among the exit handlers
#else
    constexpr bool kCheckedExit = false;
#endif
    if (gConsoleRun && !kCheckedExit) {
        // A console run is over once its files are closed and its output is flushed. What
        // exit() would add, the destructors of FreeImage and of every library it loads, changes
        // nothing outside the process and costs a small conversion a few per cent of its time.
        std::fflush(nullptr);
        _exit(status);
    }
    std::exit(status);
}

} // namespace millconv
