// CRC-32 and Adler-32 of the PNG reader, from whichever library is cheaper for the data so far.
#pragma once

#include <cstddef>
#include <cstdint>

namespace millconv {

// The CRC-32 of PNG chunks and gzip, continued from crc (0 to start).
uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size);

// The Adler-32 of zlib streams, continued from adler (1 to start).
uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t size);

// Gives zlib its share again, as at the start of a process (for tests of both sides).
void RestartChecksumShare();

} // namespace millconv
