// A helper thread started on another processor than the caller's.
#pragma once

#include <pthread.h>
#include <sched.h>

#include <functional>

namespace millconv {

class SideThread {
  public:
    SideThread() = default;
    ~SideThread() { Join(); }
    SideThread(const SideThread&) = delete;
    SideThread& operator=(const SideThread&) = delete;

    // Runs work on a new thread when the caller may use a processor other than its own; false
    // (and nothing started) when it may not, when the caller is itself a side thread (its
    // caller is busy on the other processor; and a thread started while that caller loads a
    // module would wait for the loader's lock) or when the thread cannot be had.
    bool Start(std::function<void()> work);
    // Waits for the work to end; does nothing when none was started.
    void Join();

  private:
    static void* Run(void* self);

    std::function<void()> work_;
    cpu_set_t allowed_{};
    pthread_t thread_{};
    bool running_ = false;
};

} // namespace millconv
