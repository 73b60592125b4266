// std::random_device asks the processor whether it has RDRAND and RDSEED before its first
// number, and on a virtual machine each CPUID traps to the hypervisor: about 30 µs of every
// run for a five-digit token. getrandom() is one system call.
#include "platform/random_seed.h"

#include <atomic>
#include <ctime>

#include <sys/random.h>
#include <unistd.h>

namespace millconv {

uint32_t RandomSeed() {
    uint32_t seed = 0;
    if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == ssize_t(sizeof seed)) {
        return seed;
    }
    // Only before the pool is ready at boot: the clock, the thread and a counter still make
    // every seed of a run differ.
    static std::atomic<uint32_t> counter{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const uint64_t mixed = uint64_t(now.tv_nsec) * 0x9E3779B97F4A7C15ULL ^ uint64_t(now.tv_sec) ^
                           uint64_t(gettid()) << 32 ^ counter.fetch_add(1) * 0xBF58476D1CE4E5B9ULL;
    return uint32_t(mixed >> 32) ^ uint32_t(mixed);
}

} // namespace millconv
