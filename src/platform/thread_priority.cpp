// Background threads that yield to the window's thread.
#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace millconv {

namespace {

// Above the default 0 and below the 19 that would starve the thread on a loaded machine.
constexpr int kBackgroundNice = 10;

} // namespace

void LowerCurrentThreadPriority() {
    // On Linux a nice value set on a thread id applies to that thread only.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

} // namespace millconv
