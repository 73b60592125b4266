#include "platform/side_task.h"

#include <sched.h>

namespace millconv {

SideTask::SideTask(std::function<void()> work) : work_(std::move(work)) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return;
    }
    cpu_set_t processors;
    CPU_ZERO(&processors);
    const int current = sched_getcpu();
    if (sched_getaffinity(0, sizeof processors, &processors) == 0 && current >= 0 &&
        current < CPU_SETSIZE && CPU_COUNT(&processors) > 1) {
        CPU_CLR(current, &processors);
        pthread_attr_setaffinity_np(&attributes, sizeof processors, &processors);
    }
    started_ = pthread_create(&thread_, &attributes, &SideTask::Run, this) == 0;
    pthread_attr_destroy(&attributes);
}

void SideTask::Join() {
    if (done_) {
        return;
    }
    done_ = true;
    if (started_) {
        pthread_join(thread_, nullptr);
    } else {
        work_();
    }
}

void* SideTask::Run(void* task) {
    static_cast<SideTask*>(task)->work_();
    return nullptr;
}

} // namespace millconv
