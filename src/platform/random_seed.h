// Seeds for the program's small random generators.
#pragma once

#include <cstdint>

namespace millconv {

// 32 bits from the kernel's random pool, different in every call.
uint32_t RandomSeed();

} // namespace millconv
