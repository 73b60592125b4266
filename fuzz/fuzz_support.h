// Helpers the fuzz programs share: a private scratch folder and byte splitting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace millconv::fuzz {

// A folder of this process for files the code under test must read from disk; on tmpfs when
// there is one, since every input is written there once. Made on first use, never removed:
// libFuzzer ends the process with exit(), and the folder holds one or two small files.
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string base = "/dev/shm";
        if (const char* tmp = std::getenv("MILLCONV_FUZZ_TMP")) {
            base = tmp;
        }
        std::string pattern = base + "/millconv-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            pattern = "/tmp/millconv-fuzz-XXXXXX";
            if (mkdtemp(pattern.data()) == nullptr) {
                std::abort();
            }
        }
        return pattern + "/";
    }();
    return folder;
}

// Replaces the file with the bytes; aborts when it cannot, since every later result would
// be about a stale file.
inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr ||
        (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) ||
        std::fclose(file) != 0) {
        std::abort();
    }
}

// The pieces between the separator bytes, empty ones included.
inline std::vector<std::string> Split(std::string_view bytes, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t end = bytes.find(separator, start);
        pieces.emplace_back(bytes.substr(start, end - start));
        if (end == std::string_view::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A finding libFuzzer reports with the input that caused it.
#define MILLCONV_FUZZ_CHECK(condition)                                                     \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

} // namespace millconv::fuzz
