// Filtered rows handed to a helper thread that unfilters and writes them.
#include "engine/row_pipe.h"

#include <algorithm>
#include <cstring>

namespace millconv {

RowPipe::RowPipe(PngRowSink& sink, size_t rowLength, size_t bytes)
    : sink_(sink), rowLength_(rowLength), slots_(std::max<size_t>(4, bytes / rowLength)),
      batch_(slots_ / 4) {
    queue_ = LargeBuffer(slots_ * rowLength_);
    started_ = queue_.data() != nullptr && thread_.Start([this] { Work(); });
    if (!started_) {
        queue_ = LargeBuffer();
    }
}

RowPipe::~RowPipe() { Finish(); }

void RowPipe::Work() {
    if (!sink_.Allocate()) {
        failed_.store(true, std::memory_order_relaxed);
    }
    uint64_t next = 0;
    for (;;) {
        const uint64_t produced = produced_.load(std::memory_order_acquire);
        const uint64_t rows = produced & ~kClosed;
        for (; next < rows; ++next) {
            if (!failed_.load(std::memory_order_relaxed) &&
                !sink_.Take(queue_.data() + (next % slots_) * rowLength_)) {
                failed_.store(true, std::memory_order_relaxed);
            }
            consumed_.store(next + 1, std::memory_order_release);
            // A full queue's producer waits for room; woken a batch at a time, not per row,
            // it refills a batch per wake-up instead of a row.
            if ((next + 1) % batch_ == 0) {
                consumed_.notify_one();
            }
        }
        if ((produced & kClosed) != 0) {
            return;
        }
        // Everything handed over is taken: the producer may be waiting for that.
        consumed_.notify_one();
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
    std::memcpy(queue_.data() + (queued_ % slots_) * rowLength_, filtered, rowLength_);
    // Rows are handed over a quarter of the queue at a time: a wake-up per row would cost the
    // helper a system call each.
    if (++queued_ % batch_ == 0) {
        produced_.store(queued_, std::memory_order_release);
        produced_.notify_one();
    }
    return true;
}

bool RowPipe::Finish() {
    if (started_) {
        produced_.store(queued_ | kClosed, std::memory_order_release);
        produced_.notify_one();
        thread_.Join(); // nothing to wait for the second time
    }
    return !failed_.load(std::memory_order_relaxed);
}

} // namespace millconv
