// PNG chunk walk before decoding: the header's size, every chunk's length and the amount of pixel
// data against the file.
#include "engine/png_probe.h"

#include "base/text.h"
#include "engine/report.h"
#include "engine/size_limits.h"

namespace millconv {

namespace {

// Deflate codes a 258-byte copy in as little as two bits: no stream inflates further.
constexpr uint64_t kMaxInflateRatio = 1032;

std::string ChunkName(std::string_view type) {
    std::string name;
    for (const char c : type) {
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '?';
    }
    return name;
}

} // namespace

std::string PngProbeProblem(PngBytes file) {
    std::string problem;
    bool first = true;
    PngHeader header;
    bool headerValid = false;
    uint64_t idatBytes = 0;
    const PngWalk walk = WalkPngChunks(file, [&](const PngChunk& chunk) {
        if (first) {
            first = false;
            if (chunk.type != "IHDR" || chunk.data.size() < 8) {
                return false; // no usable header: the decoder refuses it on its own
            }
            problem =
                SizeLimitProblem(PngUint32(chunk.data.data()), PngUint32(chunk.data.data() + 4));
            headerValid = ReadPngHeader(chunk.data, header);
            return problem.empty();
        }
        if (chunk.type == "IDAT") {
            idatBytes += chunk.data.size();
        }
        return true;
    });
    if (!problem.empty() || walk.end == PngWalkEnd::NoSignature ||
        walk.end == PngWalkEnd::Stopped) {
        return problem;
    }
    if (walk.end == PngWalkEnd::CutOff) {
        if (walk.cutOffType.empty()) {
            return "chunk header at byte " + std::to_string(walk.cutOffOffset) +
                   " is cut off by the file end";
        }
        return ChunkName(walk.cutOffType) + " chunk declares " + std::to_string(walk.cutOffLength) +
               " bytes, more than the file of " + std::to_string(file.size()) + " bytes holds";
    }
    // Refused from the chunk lengths alone, before the decoder allocates for the declared size.
    const uint64_t needed = headerValid ? header.FilteredSize() : 0;
    if (needed > kMaxInflateRatio * (idatBytes + 1)) {
        return "image of " + std::to_string(header.width) + " x " + std::to_string(header.height) +
               " pixels needs " + std::to_string(needed) + " bytes of pixel data, more than its " +
               std::to_string(idatBytes) + " compressed bytes can hold";
    }
    return {};
}

bool PngFitsLimits(PngBytes file, const std::string& path) {
    const std::string problem = PngProbeProblem(file);
    if (problem.empty()) {
        return true;
    }
    Report(ReportKind::Problem, "millconv: " + QuotedName(path) + ": " + problem);
    return false;
}

bool PngFitsLimits(const std::string& path) {
    PngFile file;
    return !file.Open(path) || PngFitsLimits(file.View(), path);
}

} // namespace millconv
