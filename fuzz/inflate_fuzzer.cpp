// Fuzzes the PNG reader's inflater against zlib itself: the same streams finish, with the same
// bytes, and whatever zlib refuses is refused; inflated in pieces and steps, it gives what it
// gives in one call.
#include "fuzz_support.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/inflate_rules.h"

namespace {

// More than any stream within the fuzzer's input size makes, but for the rare bomb: a case
// that fills it on either side is not compared.
constexpr size_t kRoom = size_t(1) << 20;

// The same stream inflated again, cut into pieces and taken a few bytes at a time into a window
// that keeps only the last 32 KiB; the cuts follow from the input, so a finding replays.
bool SteppedMatches(const uint8_t* data, size_t size, const millconv::InflateResult& whole,
                    const std::vector<unsigned char>& wholeOutput) {
    using namespace millconv;
    uint32_t state = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        state = (state ^ data[i]) * 16777619u;
    }
    const auto next = [&state](uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    std::vector<PngBytes> pieces;
    for (size_t at = 0; at < size;) {
        const size_t piece = std::min<size_t>(next(64), size - at);
        pieces.emplace_back(data + at, piece);
        at += piece;
    }
    constexpr size_t kHistory = 32768;
    static std::vector<unsigned char> window(kHistory + 4096);
    ZlibInflater inflater(pieces);
    size_t at = 0;
    size_t total = 0;
    for (;;) {
        if (at == window.size()) {
            std::copy(window.end() - kHistory, window.end(), window.begin());
            at = kHistory;
        }
        const size_t step =
            std::min<size_t>(1 + next(next(2) != 0 ? 16 : 4096), window.size() - at);
        const InflateEnd end =
            inflater.Inflate(window.data(), window.data() + at, window.data() + at + step);
        // A refused stream's last bytes may differ: a copy cut at the window's end is refused
        // there, in one call only once it is written whole.
        const size_t left = total < whole.produced ? whole.produced - total : 0;
        const size_t written = std::min(inflater.Written(), left);
        if (!std::equal(window.begin() + ptrdiff_t(at), window.begin() + ptrdiff_t(at + written),
                        wholeOutput.begin() + ptrdiff_t(total))) {
            return false;
        }
        at += inflater.Written();
        total += inflater.Written();
        if (end != InflateEnd::Full) {
            return end == whole.end && (end == InflateEnd::Broken || total == whole.produced);
        }
    }
}

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
    MILLCONV_FUZZ_CHECK(SteppedMatches(data, size, result, ours));
    MILLCONV_FUZZ_CHECK((result.end == InflateEnd::Finished) == zlibFinished);
    if (zlibFinished) {
        MILLCONV_FUZZ_CHECK(result.produced == zlibProduced);
        MILLCONV_FUZZ_CHECK(
            std::equal(ours.begin(), ours.begin() + ptrdiff_t(zlibProduced), theirs.begin()));
    }
    return 0;
}
