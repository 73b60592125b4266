// Memory for a whole file or a whole image's data, cheap to fill.
#pragma once

#include <cstddef>

namespace millconv {

// A buffer of a fixed size, uninitialised (zero when large). Large ones (2 MiB and more) are
// mapped on their own, their whole 2 MiB stretches marked for huge pages where the system
// offers them: filling one then costs a page fault per 2 MiB instead of one per 4 KiB, which on
// a virtual machine is most of what a large image costs to decode.
// The size from which a buffer is mapped on its own.
inline constexpr size_t kMappedBufferFrom = size_t(2) << 20;

class LargeBuffer {
  public:
    LargeBuffer() = default;
    // data() is null when the memory cannot be had.
    explicit LargeBuffer(size_t size);
    ~LargeBuffer();
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    void Release();

    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    void* mapping_ = nullptr; // the whole mapping of a large buffer, else null
    size_t mappingSize_ = 0;
};

} // namespace millconv
