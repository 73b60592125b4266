// Fuzzes the PNG reader's inflater against zlib itself: the same streams finish, with the same
// bytes, and whatever zlib refuses is refused.
#include "fuzz_support.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "engine/inflate_rules.h"

namespace {

// More than any stream within the fuzzer's input size makes, but for the rare bomb: a case
// that fills it on either side is not compared.
constexpr size_t kRoom = size_t(1) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace millconv;
    static std::vector<unsigned char> ours(kRoom);
    static std::vector<unsigned char> theirs(kRoom);
    const InflateResult result = InflateZlib({data, size}, ours.data(), ours.size());

    z_stream z{};
    if (inflateInit2(&z, 0) != Z_OK) {
        return 0;
    }
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    z.next_out = theirs.data();
    z.avail_out = uInt(theirs.size());
    const bool zlibFinished = inflate(&z, Z_FINISH) == Z_STREAM_END;
    const bool zlibFull = z.avail_out == 0;
    const size_t zlibProduced = z.total_out;
    inflateEnd(&z);

    if (result.end == InflateEnd::Full || zlibFull) {
        return 0;
    }
    MILLCONV_FUZZ_CHECK((result.end == InflateEnd::Finished) == zlibFinished);
    if (zlibFinished) {
        MILLCONV_FUZZ_CHECK(result.produced == zlibProduced);
        MILLCONV_FUZZ_CHECK(std::equal(ours.begin(), ours.begin() + ptrdiff_t(zlibProduced),
                                       theirs.begin()));
    }
    return 0;
}
