// Fuzzes the PNG load step: whatever the fast decoder takes must decode exactly as FreeImage's own
// loader decodes it, and nothing may crash, leak or run away on the way.
#include "fuzz_support.h"
#include "png_fuzz_support.h"

#include <cstdlib>

#include "engine/png_reader.h"
#include "support/bitmap_difference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    if (!fuzz::WithinFuzzBudget(data, size)) {
        return -1; // not added to the corpus
    }
    static const std::string path = fuzz::ScratchFolder() + "input.png";
    std::string png(fuzz::AsText(data, size));
    fuzz::MendChecksums(png);
    fuzz::WriteBytes(path, png);
    PngRoute route = PngRoute::Refused;
    const Bitmap fast = LoadPng(path, &route);
    if (route == PngRoute::Fast || route == PngRoute::Streamed) {
        setenv(kFastPngVariable, "0", 1);
        const Bitmap library = LoadPng(path);
        unsetenv(kFastPngVariable);
        const std::string difference = test::BitmapDifference(fast.get(), library.get());
        if (!difference.empty()) {
            std::fprintf(stderr, "fast and library decodes differ: %s\n", difference.c_str());
        }
        MILLCONV_FUZZ_CHECK(difference.empty());
    }
    return 0;
}
