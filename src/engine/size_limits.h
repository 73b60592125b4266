// Image size limits checked before memory is spent on pixels: the largest side and the pixel budget.
#pragma once

#include <cstdint>
#include <string>

namespace millconv {

// TGA headers hold 16-bit sides; every output format of this build is bound by that.
inline constexpr uint64_t kMaxImageSide = 65535;
// 256 megapixels: 1 GiB at 32 bits a pixel, 2 GiB at 16 bits a channel.
inline constexpr uint64_t kDefaultPixelBudget = 268435456;

// The largest pixel count an image may have in this process (--max-pixels); safe from any
// thread.
void SetPixelBudget(uint64_t pixels);
uint64_t PixelBudget();

// Empty when a width x height image is within the side limit and the pixel budget; otherwise
// the line saying which limit it breaks.
std::string SizeLimitProblem(uint64_t width, uint64_t height);

// True when within the limits; otherwise reports the problem line (naming what for) and is
// false.
bool WithinSizeLimits(uint64_t width, uint64_t height, const std::string& what);

} // namespace millconv
