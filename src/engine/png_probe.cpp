// PNG chunk walk before decoding: the header's size and every chunk's length against the file.
#include "engine/png_probe.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "base/text.h"
#include "engine/report.h"
#include "engine/size_limits.h"

namespace millconv {

namespace {

constexpr std::array<unsigned char, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF; // lengths are 31-bit in PNG
constexpr int64_t kChunkFrame = 12;               // length, type and CRC around the data

uint32_t BigEndian(const unsigned char* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ChunkName(const unsigned char* type) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        const char c = char(type[i]);
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '?';
    }
    return name;
}

} // namespace

std::string PngProbeProblem(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return {};
    }
    const int64_t fileSize = std::ftell(file.get());
    std::array<unsigned char, 8> signature{};
    if (fileSize < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0 ||
        std::fread(signature.data(), 1, signature.size(), file.get()) != signature.size() ||
        signature != kSignature) {
        return {};
    }
    int64_t offset = int64_t(kSignature.size());
    bool first = true;
    while (offset < fileSize) {
        unsigned char head[8];
        if (fileSize - offset < 8 || std::fread(head, 1, 8, file.get()) != 8) {
            return "chunk header at byte " + std::to_string(offset) + " is cut off by the file end";
        }
        const uint32_t length = BigEndian(head);
        const std::string_view type(reinterpret_cast<const char*>(head + 4), 4);
        if (length > kMaxChunkLength || offset + kChunkFrame + int64_t(length) > fileSize) {
            return ChunkName(head + 4) + " chunk declares " + std::to_string(length) +
                   " bytes, more than the file of " + std::to_string(fileSize) + " bytes holds";
        }
        if (first) {
            first = false;
            unsigned char size[8];
            if (type != "IHDR" || length < 8 || std::fread(size, 1, 8, file.get()) != 8) {
                return {}; // no usable header: the decoder refuses it on its own
            }
            std::string problem = SizeLimitProblem(BigEndian(size), BigEndian(size + 4));
            if (!problem.empty()) {
                return problem;
            }
        }
        if (type == "IEND") {
            break;
        }
        offset += kChunkFrame + int64_t(length);
        if (std::fseek(file.get(), long(offset), SEEK_SET) != 0) {
            return {};
        }
    }
    return {};
}

bool PngFitsLimits(const std::string& path) {
    const std::string problem = PngProbeProblem(path);
    if (problem.empty()) {
        return true;
    }
    Report(ReportKind::Problem, "millconv: " + QuotedName(path) + ": " + problem);
    return false;
}

} // namespace millconv
