// libdeflate's checksums are several times faster than zlib's, but its first call asks the
// processor for its features: three CPUID instructions, each a trap to the hypervisor on a
// virtual machine, about 30 µs in all, more than zlib needs to sum a small file. zlib is loaded
// anyway (FreeImage's PNG support needs it) and asks nothing, so the first bytes of a process
// are summed by zlib and the rest by libdeflate. Both give the same sums.
#include "engine/checksums.h"

#include <atomic>

#include <libdeflate.h>
#include <zlib.h>

namespace millconv {

namespace {

// About what zlib sums in the time of the processor probe.
constexpr size_t kZlibBytes = 32 * 1024;

std::atomic<size_t> gSummed{0};

// True while this process's sums, these bytes included, stay within zlib's share. Threads may
// race past the limit together; that only moves the switch by a call.
bool ZlibTakes(size_t size) {
    const size_t before = gSummed.load(std::memory_order_relaxed);
    if (before >= kZlibBytes) {
        return false;
    }
    gSummed.fetch_add(size, std::memory_order_relaxed);
    return size <= kZlibBytes - before;
}

} // namespace

uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size) {
    if (ZlibTakes(size)) {
        return uint32_t(crc32_z(crc, data, size));
    }
    return libdeflate_crc32(crc, data, size);
}

uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t size) {
    if (ZlibTakes(size)) {
        return uint32_t(adler32_z(adler, data, size));
    }
    return libdeflate_adler32(adler, data, size);
}

void RestartChecksumShare() { gSummed.store(0, std::memory_order_relaxed); }

} // namespace millconv
