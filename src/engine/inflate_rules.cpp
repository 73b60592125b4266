// A whole-buffer inflater that refuses what zlib's inflater refuses: every block header and
// every symbol is checked as zlib checks it.
#include "engine/inflate_rules.h"

#include "engine/checksums.h"

#include <endian.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace millconv {

namespace {

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kFastBits = 10;
constexpr unsigned kFixedLitLenSymbols = 288;
constexpr unsigned kFixedDistanceSymbols = 32;
constexpr unsigned kMaxLitLenSymbols = 286;  // a dynamic block's limit, and zlib's last length
constexpr unsigned kMaxDistanceSymbols = 30; // the same for distances
constexpr unsigned kCodeLengthSymbols = 19;
constexpr int kEndOfBlock = 256;
// Literals decoded between two refills: four of at most kFastBits bits, and a peek of kFastBits
// after them, fit in the 56 bits a refill leaves.
constexpr int kLiteralRun = 4;
static_assert(kLiteralRun * kFastBits + kFastBits <= 56);

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10,  11, 13,
                                                  15, 17, 19, 23, 27, 31, 35, 43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                                      1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                                      4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtraBits = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,
                                                        4, 4, 5, 5, 6, 6, 7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block stores the code-length code's lengths.
constexpr std::array<uint8_t, kCodeLengthSymbols> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// The input's pieces in order: the one being read and the bytes of those not yet opened.
struct InputPieces {
    std::span<const PngBytes> pieces;
    size_t next = 0;     // the first piece not yet opened
    uint64_t unopened = 0; // bytes in pieces[next, end)
};

// The stream's bits, least significant first. Past its end it reads zeros and counts them, so
// a symbol near the end decodes without a check per bit; Overran() tells when one was used.
// The input may come in pieces; only the last few bytes of each are read one at a time.
class BitStream {
  public:
    explicit BitStream(InputPieces* input) : input_(input) {}

    // At least 56 bits are held afterwards: enough for a length, a distance and their extras.
    // False once bits past the stream's end have been used.
    bool Refill() {
        if (end_ - at_ >= 8) [[likely]] {
            uint64_t word;
            std::memcpy(&word, at_, sizeof word);
            buffer_ |= le64toh(word) << count_;
            at_ += (63 - count_) >> 3;
            count_ |= 56;
            return true; // zeros are only ever read once the stream's bytes have run out
        }
        while (count_ <= 56) {
            if (at_ == end_ && !OpenNextPiece()) {
                ++padding_;
            } else {
                buffer_ |= uint64_t(*at_++) << count_;
            }
            count_ += 8;
        }
        return !Overran();
    }
    uint32_t Peek(unsigned bits) const { return uint32_t(buffer_ & ((uint64_t(1) << bits) - 1)); }
    void Drop(unsigned bits) {
        buffer_ >>= bits;
        count_ -= bits;
    }
    uint32_t Take(unsigned bits) {
        const uint32_t value = Peek(bits);
        Drop(bits);
        return value;
    }
    bool Overran() const { return padding_ * 8 > count_; }
    void AlignToByte() { Drop(count_ & 7); }
    // Whole input bytes not yet read, after AlignToByte.
    uint64_t BytesLeft() const {
        const uint64_t held = count_ / 8 > padding_ ? count_ / 8 - padding_ : 0;
        return held + uint64_t(end_ - at_) + input_->unopened;
    }
    // Copies the next n bytes of input (after AlignToByte); fewer when the input ends first.
    size_t CopyBytes(unsigned char* out, size_t n) {
        size_t done = 0;
        while (done < n && count_ / 8 > padding_) {
            out[done++] = static_cast<unsigned char>(Take(8));
        }
        if (done == n) {
            return done;
        }
        buffer_ = 0;
        count_ = 0;
        padding_ = 0;
        while (done < n && (at_ != end_ || OpenNextPiece())) {
            const size_t part = std::min(n - done, size_t(end_ - at_));
            std::memcpy(out + done, at_, part);
            at_ += part;
            done += part;
        }
        return done;
    }
    // The piece being read and an offset in it before which every byte has been taken in.
    size_t PieceIndex() const { return piece_; }
    size_t PieceOffset() const {
        if (at_ == nullptr) {
            return 0;
        }
        const size_t read = size_t(at_ - input_->pieces[piece_].data());
        return read > 8 ? read - 8 : 0;
    }

  private:
    bool OpenNextPiece() {
        while (input_->next < input_->pieces.size()) {
            const PngBytes piece = input_->pieces[input_->next++];
            input_->unopened -= piece.size();
            if (!piece.empty()) {
                piece_ = input_->next - 1;
                at_ = piece.data();
                end_ = piece.data() + piece.size();
                return true;
            }
        }
        return false;
    }

    InputPieces* input_;
    size_t piece_ = 0;
    const unsigned char* at_ = nullptr;
    const unsigned char* end_ = nullptr;
    uint64_t buffer_ = 0;
    unsigned count_ = 0;
    unsigned padding_ = 0;
};

unsigned Reversed(unsigned code, unsigned length) {
    unsigned result = 0;
    for (unsigned bit = 0; bit < length; ++bit) {
        result = (result << 1) | ((code >> bit) & 1);
    }
    return result;
}

// A canonical Huffman code: a table for codewords of up to kFastBits bits, a walk by the
// length counts for longer ones and for codewords the code leaves unused.
class HuffmanCode {
  public:
    // False when zlib refuses the lengths: too many codewords for their lengths, or too few,
    // except for the two cases it takes in a length or distance code (one codeword of one bit,
    // or none at all); any use of a missing codeword is refused when it is decoded.
    bool Build(const uint8_t* lengths, unsigned symbols, bool codeLengthCode) {
        counts_.fill(0);
        for (unsigned symbol = 0; symbol < symbols; ++symbol) {
            ++counts_[lengths[symbol]];
        }
        counts_[0] = 0;
        int left = 1;
        unsigned longest = 0;
        for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
            left = (left << 1) - counts_[length];
            if (left < 0) {
                return false;
            }
            longest = counts_[length] != 0 ? length : longest;
        }
        // An empty code-length code gives every length zero, so no end-of-block code either.
        if (left > 0 && (codeLengthCode || longest > 1)) {
            return false;
        }
        std::array<uint16_t, kMaxCodeBits + 2> next{};
        for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
            next[length + 1] = uint16_t(next[length] + counts_[length]);
        }
        for (unsigned symbol = 0; symbol < symbols; ++symbol) {
            if (lengths[symbol] != 0) {
                sorted_[next[lengths[symbol]]++] = uint16_t(symbol);
            }
        }
        FillFastTable();
        return true;
    }

    // The table's entry for the next bits: symbol << 8 | codeword length, 0 when the codeword
    // is longer than the table or missing.
    uint32_t ShortEntry(const BitStream& bits) const { return fast_[bits.Peek(kFastBits)]; }
    static bool ShortLiteral(uint32_t entry) { return entry - 1 < (256u << 8) - 1; }
    static unsigned EntryBits(uint32_t entry) { return entry & 0xFF; }

    // The next symbol, or -1 for a codeword the code does not have; the bits it takes are
    // dropped. Inlined into the loops, so the stream's state stays in registers.
    int Decode(BitStream& bits) const {
        const uint32_t entry = fast_[bits.Peek(kFastBits)];
        if (entry != 0) {
            bits.Drop(EntryBits(entry));
            return int(entry >> 8);
        }
        unsigned length = 0;
        const int symbol = DecodeLong(bits.Peek(kMaxCodeBits), length);
        bits.Drop(length);
        return symbol;
    }

  private:
    void FillFastTable() {
        fast_.fill(0);
        unsigned code = 0;
        unsigned index = 0;
        for (unsigned length = 1; length <= kFastBits; ++length) {
            for (unsigned n = 0; n < counts_[length]; ++n, ++index, ++code) {
                const uint32_t entry = uint32_t(sorted_[index]) << 8 | length;
                for (unsigned at = Reversed(code, length); at < fast_.size(); at += 1u << length) {
                    fast_[at] = entry;
                }
            }
            code <<= 1;
        }
    }

    // Codewords longer than the table, found by walking the counts one bit at a time.
    int DecodeLong(uint32_t window, unsigned& taken) const {
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
            code |= int(window >> (length - 1)) & 1;
            const int count = counts_[length];
            if (code - first < count) {
                taken = length;
                return sorted_[size_t(index + code - first)];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

    std::array<uint32_t, 1u << kFastBits> fast_{}; // symbol << 8 | length; 0 = look further
    std::array<uint16_t, kMaxCodeBits + 1> counts_{};
    std::array<uint16_t, kFixedLitLenSymbols> sorted_{};
};

const HuffmanCode& FixedLitLenCode() {
    static const HuffmanCode code = [] {
        std::array<uint8_t, kFixedLitLenSymbols> lengths{};
        for (unsigned symbol = 0; symbol < kFixedLitLenSymbols; ++symbol) {
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        }
        HuffmanCode built;
        built.Build(lengths.data(), kFixedLitLenSymbols, false);
        return built;
    }();
    return code;
}

const HuffmanCode& FixedDistanceCode() {
    static const HuffmanCode code = [] {
        std::array<uint8_t, kFixedDistanceSymbols> lengths{};
        lengths.fill(5);
        HuffmanCode built;
        built.Build(lengths.data(), kFixedDistanceSymbols, false);
        return built;
    }();
    return code;
}

enum class Stage {
    Header,     // the stream's two header bytes
    BlockStart, // a block's header
    Stored,     // a stored block's bytes
    Codes,      // a compressed block's symbols
    BlockDone,  // between blocks
    Trailer,    // the checksum after the last block
    Done,       // finished or broken: every later call gives the same answer
};

// Copies length bytes from back bytes before at, the copy overlapping itself when back is
// shorter; eight bytes at a time where the copy and eight bytes past it fit before stop.
unsigned char* CopyMatch(unsigned char* at, size_t back, size_t length, const unsigned char* stop) {
    const unsigned char* from = at - back;
    unsigned char* const done = at + length;
    if (back >= 8 && size_t(stop - done) >= 8) {
        for (; at < done; at += 8, from += 8) {
            std::memcpy(at, from, 8);
        }
    } else if (back == 1) {
        std::memset(at, at[-1], length);
    } else {
        for (; at < done; ++at, ++from) {
            *at = *from;
        }
    }
    return done;
}

} // namespace

class ZlibInflater::State {
  public:
    explicit State(std::span<const PngBytes> pieces) : bits_(&input_) {
        input_.pieces = pieces;
        for (const PngBytes& piece : pieces) {
            input_.unopened += piece.size();
        }
    }

    InflateEnd Inflate(unsigned char* history, unsigned char* at, unsigned char* end) {
        history_ = history;
        callStart_ = at;
        at_ = at;
        end_ = end;
        const InflateEnd result = Run();
        CountOutput();
        written_ = size_t(at_ - at);
        if (result != InflateEnd::Full) {
            stage_ = Stage::Done;
            final_ = result;
        }
        return result;
    }

    size_t Written() const { return written_; }
    uint64_t Total() const { return total_; }
    unsigned WindowBits() const { return windowBits_; }
    const BitStream& Bits() const { return bits_; }

  private:
    InflateEnd Run() {
        for (;;) {
            switch (stage_) {
            case Stage::Header:
                if (!Header()) {
                    return InflateEnd::Broken;
                }
                stage_ = Stage::BlockDone;
                break;
            case Stage::BlockDone:
                if (at_ == end_) {
                    return InflateEnd::Full;
                }
                stage_ = last_ ? Stage::Trailer : Stage::BlockStart;
                break;
            case Stage::BlockStart:
                if (!BlockStart()) {
                    return InflateEnd::Broken;
                }
                break;
            case Stage::Stored:
                if (!StoredBytes()) {
                    return InflateEnd::Broken;
                }
                if (stage_ == Stage::Stored) {
                    return InflateEnd::Full;
                }
                break;
            case Stage::Codes: {
                const InflateEnd codes = Codes();
                if (codes != InflateEnd::Finished) {
                    return codes;
                }
                stage_ = Stage::BlockDone;
                break;
            }
            case Stage::Trailer:
                return ChecksumMatches() ? InflateEnd::Finished : InflateEnd::Broken;
            case Stage::Done:
                return final_;
            }
        }
    }

    bool Header() {
        bits_.Refill();
        const unsigned method = bits_.Take(8);
        const unsigned flags = bits_.Take(8);
        windowBits_ = (method >> 4) + 8;
        return !bits_.Overran() && (method & 15) == 8 && (method >> 4) <= 7 &&
               (method * 256 + flags) % 31 == 0 && (flags & 0x20) == 0;
    }

    // Reads a block's header and, for a compressed block, its codes.
    bool BlockStart() {
        bits_.Refill();
        last_ = bits_.Take(1) != 0;
        bool sound = false;
        switch (bits_.Take(2)) {
        case 0:
            sound = StoredHeader();
            stage_ = Stage::Stored;
            break;
        case 1:
            litLen_ = &FixedLitLenCode();
            distance_ = &FixedDistanceCode();
            sound = true;
            stage_ = Stage::Codes;
            break;
        case 2:
            sound = DynamicHeader();
            stage_ = Stage::Codes;
            break;
        default:
            return false;
        }
        return sound && !bits_.Overran();
    }

    void CountOutput() {
        adler_ = uint32_t(Adler32(adler_, callStart_, size_t(at_ - callStart_)));
        total_ += uint64_t(at_ - callStart_);
        callStart_ = at_;
    }

    bool ChecksumMatches() {
        CountOutput();
        bits_.AlignToByte();
        bits_.Refill();
        uint32_t stated = 0;
        for (int i = 0; i < 4; ++i) {
            stated = stated << 8 | bits_.Take(8);
        }
        return !bits_.Overran() && stated == adler_;
    }

    // A stored block's length, checked against its complement and against the input left.
    bool StoredHeader() {
        bits_.AlignToByte();
        bits_.Refill();
        const unsigned length = bits_.Take(8) | bits_.Take(8) << 8;
        const unsigned complement = bits_.Take(8) | bits_.Take(8) << 8;
        if (bits_.Overran() || length != (~complement & 0xFFFFu) || bits_.BytesLeft() < length) {
            return false;
        }
        storedLeft_ = length;
        return true;
    }

    // Copies what of the stored block fits; the stage moves on once all of it is copied.
    bool StoredBytes() {
        const size_t part = std::min(storedLeft_, size_t(end_ - at_));
        if (bits_.CopyBytes(at_, part) != part) {
            return false;
        }
        at_ += part;
        storedLeft_ -= part;
        if (storedLeft_ == 0) {
            stage_ = Stage::BlockDone;
        }
        return true;
    }

    bool DynamicHeader() {
        const unsigned litLens = bits_.Take(5) + 257;
        const unsigned distances = bits_.Take(5) + 1;
        const unsigned codeLengths = bits_.Take(4) + 4;
        if (litLens > kMaxLitLenSymbols || distances > kMaxDistanceSymbols) {
            return false;
        }
        std::array<uint8_t, kCodeLengthSymbols> codeLengthLengths{};
        for (unsigned i = 0; i < codeLengths; ++i) {
            bits_.Refill();
            codeLengthLengths[kCodeLengthOrder[i]] = uint8_t(bits_.Take(3));
        }
        HuffmanCode& codeLengthCode = dynamicLitLen_;
        if (!codeLengthCode.Build(codeLengthLengths.data(), kCodeLengthSymbols, true)) {
            return false;
        }
        std::array<uint8_t, kMaxLitLenSymbols + kMaxDistanceSymbols> lengths{};
        const unsigned total = litLens + distances;
        for (unsigned have = 0; have < total;) {
            if (!bits_.Refill()) {
                return false;
            }
            const int symbol = codeLengthCode.Decode(bits_);
            if (symbol < 0) {
                return false; // cannot happen with a complete code; kept as a guard
            }
            if (symbol < 16) {
                lengths[have++] = uint8_t(symbol);
                continue;
            }
            uint8_t value = 0;
            unsigned repeat = 0;
            if (symbol == 16) {
                if (have == 0) {
                    return false;
                }
                value = lengths[have - 1];
                repeat = 3 + bits_.Take(2);
            } else if (symbol == 17) {
                repeat = 3 + bits_.Take(3);
            } else {
                repeat = 11 + bits_.Take(7);
            }
            if (have + repeat > total) {
                return false;
            }
            std::memset(lengths.data() + have, value, repeat);
            have += repeat;
        }
        litLen_ = &dynamicLitLen_;
        distance_ = &dynamicDistance_;
        return lengths[kEndOfBlock] != 0 &&
               dynamicLitLen_.Build(lengths.data(), litLens, false) &&
               dynamicDistance_.Build(lengths.data() + litLens, distances, false);
    }

    // The block's symbols up to its end-of-block code (Finished), or until the output is full.
    // The stream and the write position are copied in and out so the loop keeps them in
    // registers.
    InflateEnd Codes() {
        if (matchLeft_ > 0) {
            const size_t part = std::min(matchLeft_, size_t(end_ - at_));
            at_ = CopyMatch(at_, matchBack_, part, end_);
            matchLeft_ -= part;
        }
        if (at_ == end_) {
            return InflateEnd::Full;
        }
        const BlockEnd end = SymbolsFrom(bits_, at_, *litLen_, *distance_);
        bits_ = end.bits;
        at_ = end.at;
        matchLeft_ = end.matchLeft;
        matchBack_ = end.matchBack;
        if (!end.sound || bits_.Overran()) {
            return InflateEnd::Broken;
        }
        return at_ == end_ ? InflateEnd::Full : InflateEnd::Finished;
    }

    struct BlockEnd {
        bool sound;
        unsigned char* at;
        BitStream bits;
        size_t matchLeft = 0; // of a copy the output's end cut short
        size_t matchBack = 0;
    };

    // Kept out of line: compiled on its own, the loop gets the registers to itself.
    [[gnu::noinline]] BlockEnd SymbolsFrom(BitStream bits, unsigned char* at,
                                           const HuffmanCode& litLen,
                                           const HuffmanCode& distance) const {
        unsigned char* const start = history_;
        unsigned char* const stop = end_;
        const auto end = [&](bool sound) { return BlockEnd{sound, at, bits}; };
        // Each literal's successor is looked up before the stream is topped up, so the
        // lookup does not wait for the refill: at least 41 of the 56 bits are left then.
        if (!bits.Refill()) {
            return end(false);
        }
        uint32_t entry = litLen.ShortEntry(bits);
        for (;;) {
            if (HuffmanCode::ShortLiteral(entry)) {
                // A refill leaves at least 56 bits and a literal from the table takes at most
                // kFastBits: up to four literals and the peek after them need no refill
                // between them, which keeps the refill off the path from one lookup to the next.
                const int run = stop - at >= kLiteralRun ? kLiteralRun : 1;
                for (int n = 0; n < run && HuffmanCode::ShortLiteral(entry); ++n) {
                    bits.Drop(HuffmanCode::EntryBits(entry));
                    *at++ = uint8_t(entry >> 8);
                    entry = litLen.ShortEntry(bits);
                }
                if (at == stop) {
                    return end(!bits.Overran());
                }
                if (!bits.Refill()) {
                    return end(false);
                }
                continue;
            }
            const int symbol = litLen.Decode(bits);
            if (symbol < 0 || symbol >= int(kMaxLitLenSymbols)) {
                return end(false);
            }
            if (symbol == kEndOfBlock) {
                return end(true);
            }
            if (symbol < kEndOfBlock) {
                *at++ = uint8_t(symbol);
            } else {
                const size_t slot = size_t(symbol) - kEndOfBlock - 1;
                const size_t length = kLengthBase[slot] + bits.Take(kLengthExtraBits[slot]);
                const int code = distance.Decode(bits);
                if (code < 0 || code >= int(kMaxDistanceSymbols)) {
                    return end(false);
                }
                const size_t back = kDistanceBase[size_t(code)] +
                                    bits.Take(kDistanceExtraBits[size_t(code)]);
                if (back > size_t(at - start)) {
                    return end(false);
                }
                const size_t room = size_t(stop - at);
                if (length > room) {
                    at = CopyMatch(at, back, room, stop);
                    return BlockEnd{!bits.Overran(), at, bits, length - room, back};
                }
                at = CopyMatch(at, back, length, stop);
            }
            if (at == stop) {
                return end(!bits.Overran());
            }
            if (!bits.Refill()) {
                return end(false);
            }
            entry = litLen.ShortEntry(bits);
        }
    }

    InputPieces input_;
    BitStream bits_;
    Stage stage_ = Stage::Header;
    InflateEnd final_ = InflateEnd::Broken;
    bool last_ = false;
    unsigned windowBits_ = 0;
    size_t storedLeft_ = 0;
    size_t matchLeft_ = 0;
    size_t matchBack_ = 0;
    const HuffmanCode* litLen_ = nullptr;
    const HuffmanCode* distance_ = nullptr;
    HuffmanCode dynamicLitLen_;
    HuffmanCode dynamicDistance_;
    uint32_t adler_ = 1;
    uint64_t total_ = 0;
    size_t written_ = 0;
    unsigned char* history_ = nullptr;
    unsigned char* callStart_ = nullptr;
    unsigned char* at_ = nullptr;
    unsigned char* end_ = nullptr;
};

ZlibInflater::ZlibInflater(std::span<const PngBytes> pieces)
    : state_(std::make_unique<State>(pieces)) {}

ZlibInflater::~ZlibInflater() = default;

InflateEnd ZlibInflater::Inflate(unsigned char* history, unsigned char* at, unsigned char* end) {
    return state_->Inflate(history, at, end);
}

size_t ZlibInflater::Written() const { return state_->Written(); }
uint64_t ZlibInflater::Total() const { return state_->Total(); }
unsigned ZlibInflater::WindowBits() const { return state_->WindowBits(); }
size_t ZlibInflater::PieceIndex() const { return state_->Bits().PieceIndex(); }
size_t ZlibInflater::PieceOffset() const { return state_->Bits().PieceOffset(); }

InflateResult InflateZlib(PngBytes stream, unsigned char* out, size_t capacity) {
    ZlibInflater inflater({&stream, 1});
    const InflateEnd end = inflater.Inflate(out, out, out + capacity);
    return {end, inflater.Written()};
}

} // namespace millconv
