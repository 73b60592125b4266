// Fuzzes the single-file conversion with default console settings: the input is the PNG file.
#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

#include "engine/output_parameters.h"
#include "engine/pipeline.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

namespace {

// Inputs the fuzzer skips: a PNG declaring more than this many pixels, or a chunk longer than
// the bytes left. Decoding those costs gigabytes before anything fails (libFuzzer reports that
// as out-of-memory), and a size check before decoding is the engine's own job; until it has
// one, this keeps the fuzzer on inputs it can run thousands of times a second.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 22;

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

// Mutations nearly always break a chunk's checksum, and the decoder refuses such a chunk
// before looking at it; mending the checksums lets mutated inputs reach the pixel decoding.
void MendChecksums(std::string& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const size_t length = BigEndian32(reinterpret_cast<const uint8_t*>(png.data() + at));
        if (length > png.size() - at - 12) {
            return;
        }
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4),
                                static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i) {
            png[at + 8 + length + size_t(i)] = static_cast<char>(crc >> (24 - 8 * i));
        }
        at += 12 + length;
    }
}

bool WithinFuzzBudget(const uint8_t* data, size_t size) {
    size_t at = 8; // after the signature
    while (at + 8 <= size) {
        const uint64_t length = BigEndian32(data + at);
        if (length > size - at - 8) {
            return false;
        }
        if (std::string_view(reinterpret_cast<const char*>(data + at + 4), 4) == "IHDR" &&
            length >= 8 &&
            uint64_t(BigEndian32(data + at + 8)) * BigEndian32(data + at + 12) > kMaxFuzzPixels) {
            return false;
        }
        at += 12 + length;
    }
    return true;
}

millconv::RunSnapshot& Run() {
    static millconv::RunSnapshot run;
    return run;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace millconv;
    BuildInputCatalogue();
    BuildOutputCatalogue();
    BuildMessageCatalogue();
    ResetJobState();
    SetDefaultSettings(true);
    gJob.conversion = "tga";
    gJob.outputFolder = fuzz::ScratchFolder() + "out/";
    if (mkdir(gJob.outputFolder.c_str(), 0700) != 0) {
        std::abort();
    }
    PrepareOutputParameters();
    Run() = TakeRunSnapshot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    if (!WithinFuzzBudget(data, size)) {
        return -1; // not added to the corpus
    }
    FileContext file;
    file.currentInput = fuzz::ScratchFolder() + "input.png";
    std::string png(fuzz::AsText(data, size));
    MendChecksums(png);
    fuzz::WriteBytes(file.currentInput, png);
    if (ConvertFile(Run(), file)) {
        MILLCONV_FUZZ_CHECK(file.outputPath.starts_with(Run().outputFolder));
        MILLCONV_FUZZ_CHECK(unlink(file.outputPath.c_str()) == 0);
    }
    return 0;
}
