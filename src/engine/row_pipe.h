// Filtered rows handed from the thread that inflates them to a helper on the other processor,
// which unfilters them and writes them into the bitmap while the next ones are inflated.
#pragma once

#include "engine/large_buffer.h"
#include "engine/png_pixels.h"
#include "engine/side_thread.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace millconv {

class RowPipe {
  public:
    // Starts the helper, which allocates the sink's bitmap first, when another processor is
    // there to run it; Started() tells.
    RowPipe(PngRowSink& sink, size_t rowLength, size_t bytes);
    ~RowPipe();
    RowPipe(const RowPipe&) = delete;
    RowPipe& operator=(const RowPipe&) = delete;

    bool Started() const { return started_; }
    // Queues a copy of the next row, waiting while the queue is full; false once the helper
    // has met an unknown filter or could not allocate the bitmap.
    bool Take(const unsigned char* filtered);
    // Waits until the helper is done; true when it took every queued row.
    bool Finish();

  private:
    void Work();

    static constexpr uint64_t kClosed = uint64_t(1) << 63;

    PngRowSink& sink_;
    size_t rowLength_;
    size_t slots_;
    size_t batch_; // rows handed over at once
    LargeBuffer queue_; // a large queue in huge pages, like the bitmap it fills
    std::atomic<uint64_t> produced_{0}; // rows queued, kClosed once no more will come
    std::atomic<uint64_t> consumed_{0}; // rows taken by the helper
    std::atomic<bool> failed_{false};
    uint64_t queued_ = 0;
    bool started_ = false;
    SideThread thread_;
};

} // namespace millconv
