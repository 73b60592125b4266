// Work run beside the calling thread on another processor.
#pragma once

#include <pthread.h>

#include <functional>

namespace millconv {

// Runs work on a new thread kept off the caller's processor while the caller goes on. A new
// thread is otherwise queued behind its creator and may wait milliseconds for the scheduler
// to move it, which is longer than a short task takes. When no thread can be started, the
// work runs on the caller's thread in Join().
class SideTask {
  public:
    explicit SideTask(std::function<void()> work);
    ~SideTask() { Join(); }
    SideTask(const SideTask&) = delete;
    SideTask& operator=(const SideTask&) = delete;

    // Returns once the work is done.
    void Join();

  private:
    static void* Run(void* task);

    std::function<void()> work_;
    pthread_t thread_{};
    bool started_ = false;
    bool done_ = false;
};

} // namespace millconv
