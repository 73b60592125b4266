// Filtered rows handed to a helper thread that unfilters and writes them.
#include "engine/row_pipe.h"

#include <sched.h>

#include <algorithm>
#include <cstring>

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

} // namespace

RowPipe::RowPipe(PngRowSink& sink, size_t rowLength, size_t bytes)
    : sink_(sink), rowLength_(rowLength), slots_(std::max<size_t>(4, bytes / rowLength)),
      batch_(slots_ / 4) {
    cpu_set_t allowed;
    const int other = OtherProcessor(allowed);
    if (other < 0) {
        return;
    }
    queue_.reset(new unsigned char[slots_ * rowLength_]);
    // Placed on the other processor from the start: left to the scheduler, a new thread on a
    // busy virtual machine may wait milliseconds for its first turn.
    cpu_set_t placed;
    CPU_ZERO(&placed);
    CPU_SET(other, &placed);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return;
    }
    pthread_attr_setaffinity_np(&attributes, sizeof placed, &placed);
    allowed_ = allowed;
    started_ = pthread_create(&thread_, &attributes, &RowPipe::Start, this) == 0;
    pthread_attr_destroy(&attributes);
}

RowPipe::~RowPipe() { Finish(); }

void* RowPipe::Start(void* pipe) {
    static_cast<RowPipe*>(pipe)->Work();
    return nullptr;
}

void RowPipe::Work() {
    // Once running it may move wherever the caller may run.
    pthread_setaffinity_np(pthread_self(), sizeof allowed_, &allowed_);
    if (!sink_.Allocate()) {
        failed_.store(true, std::memory_order_relaxed);
    }
    uint64_t next = 0;
    for (;;) {
        const uint64_t produced = produced_.load(std::memory_order_acquire);
        const uint64_t rows = produced & ~kClosed;
        for (; next < rows; ++next) {
            if (!failed_.load(std::memory_order_relaxed) &&
                !sink_.Take(queue_.get() + (next % slots_) * rowLength_)) {
                failed_.store(true, std::memory_order_relaxed);
            }
            consumed_.store(next + 1, std::memory_order_release);
            consumed_.notify_one();
        }
        if ((produced & kClosed) != 0) {
            return;
        }
        produced_.wait(produced, std::memory_order_acquire);
    }
}

bool RowPipe::Take(const unsigned char* filtered) {
    for (;;) {
        const uint64_t consumed = consumed_.load(std::memory_order_acquire);
        if (queued_ - consumed < slots_) {
            break;
        }
        // Full: whatever is queued goes to the helper before waiting for it.
        produced_.store(queued_, std::memory_order_release);
        produced_.notify_one();
        consumed_.wait(consumed, std::memory_order_acquire);
    }
    if (failed_.load(std::memory_order_relaxed)) {
        return false;
    }
    std::memcpy(queue_.get() + (queued_ % slots_) * rowLength_, filtered, rowLength_);
    // Rows are handed over a quarter of the queue at a time: a wake-up per row would cost the
    // helper a system call each.
    if (++queued_ % batch_ == 0) {
        produced_.store(queued_, std::memory_order_release);
        produced_.notify_one();
    }
    return true;
}

bool RowPipe::Finish() {
    if (started_ && !joined_) {
        produced_.store(queued_ | kClosed, std::memory_order_release);
        produced_.notify_one();
        pthread_join(thread_, nullptr);
        joined_ = true;
    }
    return !failed_.load(std::memory_order_relaxed);
}

} // namespace millconv
