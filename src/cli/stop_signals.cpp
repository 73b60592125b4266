// Ctrl+C and termination requests during a console run: finish the current files, then stop.
#include "cli/stop_signals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace millconv {

namespace {

std::atomic<bool> gStopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// Both ends non-blocking: the handler never waits, and a full pipe is already readable.
int gWakePipe[2] = {-1, -1};

struct sigaction gPreviousInt {};
struct sigaction gPreviousTerm {};

extern "C" void RequestStop(int) {
    const int savedErrno = errno;
    gStopRequested.store(true);
    if (gWakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(gWakePipe[1], &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals() {
    gStopRequested = false;
    if (::pipe2(gWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gWakePipe[0] = gWakePipe[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &gPreviousInt);
    sigaction(SIGTERM, &action, &gPreviousTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &gPreviousInt, nullptr);
    sigaction(SIGTERM, &gPreviousTerm, nullptr);
    for (int& end : gWakePipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

void RequestRunStop() { RequestStop(0); }

const std::atomic<bool>& StopSignals::Flag() const { return gStopRequested; }

int StopSignals::WakeDescriptor() const { return gWakePipe[0]; }

} // namespace millconv
