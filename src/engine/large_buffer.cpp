// Memory for a whole file or a whole image's data, cheap to fill.
#include "engine/large_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include <sys/mman.h>

namespace millconv {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kSmallPage = 4096;

} // namespace

LargeBuffer::LargeBuffer(size_t size) : size_(size) {
    if (size < kMappedBufferFrom) {
        data_ = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
        return;
    }
    // Room to start on a huge-page boundary; the slack is address space, never touched.
    mappingSize_ = (size + kSmallPage - 1) / kSmallPage * kSmallPage + kHugePage;
    void* mapping =
        mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        size_ = 0;
        return;
    }
    mapping_ = mapping;
    const auto start = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~(kHugePage - 1);
    data_ = reinterpret_cast<unsigned char*>(start);
    // Huge pages only where the buffer fills them: a partly used one would count in full
    // towards the memory the process holds. A hint: plain pages work too.
    madvise(data_, size / kHugePage * kHugePage, MADV_HUGEPAGE);
}

LargeBuffer::~LargeBuffer() { Release(); }

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingSize_ = std::exchange(other.mappingSize_, 0);
    }
    return *this;
}

void LargeBuffer::Release() {
    if (mapping_ != nullptr) {
        munmap(mapping_, mappingSize_);
    } else {
        std::free(data_);
    }
    data_ = nullptr;
    size_ = 0;
    mapping_ = nullptr;
    mappingSize_ = 0;
}

} // namespace millconv
