// A helper thread placed on another processor from its start.
#include "engine/side_thread.h"

#include <utility>

namespace millconv {

namespace {

// A processor the caller may use other than the one it runs on; -1 when there is none.
int OtherProcessor(cpu_set_t& allowed) {
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return -1;
    }
    const int self = sched_getcpu();
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (cpu != self && CPU_ISSET(cpu, &allowed)) {
            return cpu;
        }
    }
    return -1;
}

thread_local bool tOnSideThread = false;

} // namespace

bool SideThread::Start(std::function<void()> work) {
    Join();
    if (tOnSideThread) {
        return false;
    }
    const int other = OtherProcessor(allowed_);
    pthread_attr_t attributes;
    if (other < 0 || pthread_attr_init(&attributes) != 0) {
        return false;
    }
    // Placed on the other processor from the start: left to the scheduler, a new thread on a
    // busy virtual machine may wait milliseconds for its first turn.
    cpu_set_t placed;
    CPU_ZERO(&placed);
    CPU_SET(other, &placed);
    pthread_attr_setaffinity_np(&attributes, sizeof placed, &placed);
    work_ = std::move(work);
    running_ = pthread_create(&thread_, &attributes, &SideThread::Run, this) == 0;
    pthread_attr_destroy(&attributes);
    return running_;
}

void SideThread::Join() {
    if (running_) {
        pthread_join(thread_, nullptr);
        running_ = false;
    }
}

void* SideThread::Run(void* self) {
    auto* thread = static_cast<SideThread*>(self);
    tOnSideThread = true;
    // Once running it may move wherever the caller may run.
    pthread_setaffinity_np(pthread_self(), sizeof thread->allowed_, &thread->allowed_);
    thread->work_();
    return nullptr;
}

} // namespace millconv
