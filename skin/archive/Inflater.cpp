#include "skin/archive/Inflater.h"

#include "skin/archive/EInflateError.h"
#include "skin/archive/HuffmanTree.h"
#include "skin/archive/InflateBuffer.h"

#include <algorithm>
#include <array>

namespace qv::skin {

namespace {

using Tree = THuffmanTree;

constexpr unsigned kLiteralCodes = 288;
constexpr unsigned kDistanceCodes = 32;
constexpr unsigned kMaxLiteralCodes = 286;
constexpr unsigned kMaxDistanceCodes = 30;
constexpr unsigned kFirstLengthSymbol = 257;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kCodeLengthSymbols = 19;

// Indexed by symbol - 257 for lengths and by symbol for distances.
constexpr std::array<uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                               15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                               67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// What the symbols of an alphabet stand for in the decoding tables: literal bytes below
// `literals`, lengths or distances by their bases and extra bits from `firstBase` on, and special
// symbols besides: the end of the block, and the two past the end of each alphabet, which appear
// only in the fixed code and are rejected when decoded.
template <size_t kSymbols, size_t kBases>
constexpr std::array<uint32_t, kSymbols> Meanings(unsigned literals, unsigned firstBase,
                                                  const std::array<uint16_t, kBases>& bases,
                                                  const std::array<uint8_t, kBases>& extraBits) {
    std::array<uint32_t, kSymbols> meanings{};
    for (unsigned symbol = 0; symbol < kSymbols; ++symbol) {
        const unsigned baseIndex = symbol - firstBase;
        meanings[symbol] = symbol < literals    ? Tree::Meaning(symbol, 0, Tree::kLiteral)
                           : baseIndex < kBases ? Tree::Meaning(bases[baseIndex], extraBits[baseIndex])
                                                : Tree::Meaning(symbol, 0, Tree::kSpecial);
    }
    return meanings;
}
constexpr auto kLiteralMeanings =
    Meanings<kLiteralCodes>(kEndOfBlock, kFirstLengthSymbol, kLengthBase, kLengthExtra);
constexpr auto kDistanceMeanings = Meanings<kDistanceCodes>(0, 0, kDistanceBase, kDistanceExtra);
constexpr std::array<uint32_t, kCodeLengthSymbols> kCodeLengthMeanings = [] {
    std::array<uint32_t, kCodeLengthSymbols> meanings{};
    for (unsigned symbol = 0; symbol < kCodeLengthSymbols; ++symbol)
        meanings[symbol] = Tree::Meaning(symbol, 0);
    return meanings;
}();

constexpr std::array<uint8_t, kCodeLengthSymbols> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                   11, 4,  12, 3, 13, 2, 14, 1, 15};

struct TFixedTrees {
    THuffmanTree literals{15};
    THuffmanTree distances{15};

    TFixedTrees() {
        std::array<uint8_t, kLiteralCodes> lengths{};
        for (unsigned symbol = 0; symbol < kLiteralCodes; ++symbol)
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        literals.Build(lengths.data(), kLiteralCodes, kLiteralMeanings.data());
        std::array<uint8_t, kDistanceCodes> distanceLengths{};
        distanceLengths.fill(5);
        distances.Build(distanceLengths.data(), kDistanceCodes, kDistanceMeanings.data());
    }
};

// Built on first use and kept for the life of the process.
const TFixedTrees& FixedTrees() {
    static const TFixedTrees trees;
    return trees;
}

// Out of line and cold, so that the checks in the decoding loop cost no registers.
[[noreturn, gnu::cold, gnu::noinline]] void Fail(const char* message) {
    throw EInflateError(message);
}

// Fails for a special entry that is not the end of the block: an empty entry is a code the block
// never defined, any other a symbol outside the alphabet.
[[noreturn, gnu::cold, gnu::noinline]] void FailSpecial(uint32_t entry, const char* outOfRange) {
    Fail(entry == Tree::kEmpty ? "Invalid code" : outOfRange);
}

bool IsEndOfBlock(uint32_t entry) {
    return (entry & Tree::kSpecial) != 0 && Tree::Value(entry) == kEndOfBlock;
}

// Drops the entry's code and extra bits in one shift and returns its value plus the extra bits,
// taken from the bits as they were, so that the next lookup need not wait for them.
unsigned TakeValue(TInflateInput::TCursor& in, uint32_t entry) {
    const uint64_t bits = in.bits;
    in.Drop(Tree::TotalBits(entry));
    return Tree::Value(entry) + Tree::ExtraValue(bits, entry);
}

// One table lookup on the way near the ends: the entry, with its code and extra bits consumed
// and its value plus the extra bits returned in value.
uint32_t DecodeEntry(TInflateInput& input, const THuffmanTree& tree, unsigned& value) {
    input.Need32();
    const uint32_t bits = input.Peek();
    const uint32_t entry = tree.Lookup(bits);
    if (entry == Tree::kEmpty) Fail("Invalid code");
    value = Tree::Value(entry) + Tree::ExtraValue(bits, entry);
    input.Drop(Tree::TotalBits(entry));
    return entry;
}

// The decoder, writing into the caller's buffer, which is also the history that matches copy from.
class TInflater {
public:
    TInflater(TInflateInput& input, TInflateBuffer& output)
        : input_(input), output_(output), codeLengths_(7), literals_(15), distances_(15) {}

    // Decodes up to and including the final block.
    void Run();

private:
    void CopyStoredBlock();
    void ReadDynamicTrees();
    void ReadCodeLengths(unsigned total, uint8_t* lengths);
    void DecodeBlock(const THuffmanTree& literals, const THuffmanTree& distances);
    // Decodes straight from the input buffer into the output while the buffer holds a whole
    // refill and the output has room for a whole match; true at the end of the block.
    bool DecodeFromBuffer(const THuffmanTree& literals, const THuffmanTree& distances);
    // The careful path near the input's end and the output's limit; true at the end of the block.
    bool DecodeOneSymbol(const THuffmanTree& literals, const THuffmanTree& distances);

    TInflateInput& input_;
    TInflateBuffer& output_;
    THuffmanTree codeLengths_;
    THuffmanTree literals_;
    THuffmanTree distances_;
};

void TInflater::Run() {
    const TFixedTrees& fixed = FixedTrees();
    bool final = false;
    while (!final) {
        final = input_.Take(1) != 0;
        switch (input_.Take(2)) {
        case 0:
            CopyStoredBlock();
            break;
        case 1:
            DecodeBlock(fixed.literals, fixed.distances);
            break;
        case 2:
            ReadDynamicTrees();
            DecodeBlock(literals_, distances_);
            break;
        default:
            Fail("Invalid block type");
        }
    }
}

void TInflater::CopyStoredBlock() {
    input_.AlignToByte();
    uint8_t header[4];
    input_.ReadBytes(header, sizeof header);
    size_t remaining = static_cast<size_t>(header[0] | (header[1] << 8));
    const auto complement = static_cast<size_t>(header[2] | (header[3] << 8));
    if (complement != (~remaining & 0xFFFF)) Fail("Invalid stored block lengths");
    while (remaining > 0) {
        const size_t n = std::min(remaining, output_.Room());
        input_.ReadBytes(output_.WritePointer(), n);
        output_.Commit(n);
        remaining -= n;
    }
}

void TInflater::ReadDynamicTrees() {
    const unsigned literalCount = input_.Take(5) + 257;
    const unsigned distanceCount = input_.Take(5) + 1;
    const unsigned codeLengthCount = input_.Take(4) + 4;
    if (literalCount > kMaxLiteralCodes || distanceCount > kMaxDistanceCodes)
        Fail("Too many length or distance symbols");

    std::array<uint8_t, kCodeLengthOrder.size()> codeLengthLengths{};
    for (unsigned i = 0; i < codeLengthCount; ++i)
        codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(input_.Take(3));
    codeLengths_.Build(codeLengthLengths.data(), kCodeLengthSymbols, kCodeLengthMeanings.data());
    if (!codeLengths_.Complete()) Fail("Incomplete code lengths code");

    std::array<uint8_t, kMaxLiteralCodes + kMaxDistanceCodes> lengths{};
    ReadCodeLengths(literalCount + distanceCount, lengths.data());
    // An incomplete code is refused, as zlib refuses it, but for the two cases RFC 1951 allows:
    // a single code of one bit, and no distance code at all for a block of literals only.
    literals_.Build(lengths.data(), literalCount, kLiteralMeanings.data());
    if (!literals_.Complete() && literals_.Max() != 1) Fail("Incomplete literal/length code");
    distances_.Build(lengths.data() + literalCount, distanceCount, kDistanceMeanings.data());
    if (!distances_.Complete() && distances_.Max() > 1) Fail("Incomplete distance code");
}

void TInflater::ReadCodeLengths(unsigned total, uint8_t* lengths) {
    unsigned i = 0;
    while (i < total) {
        unsigned symbol = 0;
        DecodeEntry(input_, codeLengths_, symbol);
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        unsigned repeat = 0;
        if (symbol == 16) {
            if (i == 0) Fail("Repeat without a previous length");
            value = lengths[i - 1];
            repeat = 3 + input_.Take(2);
        } else if (symbol == 17) {
            repeat = 3 + input_.Take(3);
        } else {
            repeat = 11 + input_.Take(7);
        }
        if (repeat > total - i) Fail("Code lengths overflow");
        for (unsigned k = 0; k < repeat; ++k)
            lengths[i++] = value;
    }
}

void TInflater::DecodeBlock(const THuffmanTree& literals, const THuffmanTree& distances) {
    while (!DecodeFromBuffer(literals, distances))
        if (DecodeOneSymbol(literals, distances)) return;
}

bool TInflater::DecodeFromBuffer(const THuffmanTree& literals, const THuffmanTree& distances) {
    // An iteration refills once, reading eight bytes and taking seven.
    constexpr ptrdiff_t kInputMargin = 8;
    TInflateInput::TCursor in = input_.Lend();
    if (in.end - in.next < kInputMargin) return false;
    const uint8_t* const inputLimit = in.end - kInputMargin;
    uint8_t* const begin = output_.Begin();
    uint8_t* const limit = output_.FastLimit();
    uint8_t* const start = output_.WritePointer();
    uint8_t* out = start;
    // Local copies: every byte stored to the window could otherwise alias them.
    const uint32_t* const literalTable = literals.Table();
    const uint32_t literalMask = literals.Mask();
    const uint32_t* const distanceTable = distances.Table();
    const uint32_t distanceMask = distances.Mask();
    bool endOfBlock = false;

    // The entry of the next symbol is looked up as soon as its bits are known, so that the table
    // load overlaps the work on the symbol before it. A refill leaves at least 56 bits: four
    // literals from the root table (at most 10 bits each) and the lookup of a fifth, or a whole
    // length and distance pair (48 bits). It also loads the bits beyond those it counts, all 64
    // of them valid, so that after a match 16 remain for the next lookup without a refill.
    in.Refill();
    uint32_t entry = literalTable[in.bits & literalMask];
    const auto takeLiteral = [&] {
        in.Drop(Tree::TotalBits(entry));
        *out++ = static_cast<uint8_t>(Tree::Value(entry));
        entry = literalTable[in.bits & literalMask];
    };
    while (out < limit && in.next <= inputLimit) {
        in.Refill();
        if (entry & Tree::kLiteral) {
            takeLiteral();
            if (entry & Tree::kLiteral) {
                takeLiteral();
                if (entry & Tree::kLiteral) {
                    takeLiteral();
                    if (entry & Tree::kLiteral) takeLiteral();
                }
            }
            continue;
        }
        // One test on the hot path: long codes, the end of the block and every invalid entry
        // are special.
        if (entry & Tree::kSpecial) [[unlikely]] {
            entry = literals.Resolve(entry, in.bits);
            if (entry & Tree::kLiteral) {
                takeLiteral();
                continue;
            }
            if (IsEndOfBlock(entry)) {
                in.Drop(Tree::TotalBits(entry));
                endOfBlock = true;
                break;
            }
            if (entry & Tree::kSpecial) FailSpecial(entry, "Invalid length symbol");
        }
        const unsigned length = TakeValue(in, entry);
        entry = distanceTable[in.bits & distanceMask];
        if (entry & Tree::kSpecial) [[unlikely]] {
            entry = distances.Resolve(entry, in.bits);
            if (entry & Tree::kSpecial) FailSpecial(entry, "Invalid distance symbol");
        }
        const unsigned distance = TakeValue(in, entry);
        if (distance > static_cast<size_t>(out - begin)) [[unlikely]]
            Fail("Invalid match distance");
        entry = literalTable[in.bits & literalMask];
        CopyMatch(out, distance, length);
        out += length;
    }
    input_.Restore(in);
    output_.Commit(static_cast<size_t>(out - start));
    return endOfBlock;
}

bool TInflater::DecodeOneSymbol(const THuffmanTree& literals, const THuffmanTree& distances) {
    unsigned literalOrLength = 0;
    const uint32_t entry = DecodeEntry(input_, literals, literalOrLength);
    if (entry & Tree::kLiteral) {
        output_.Put(static_cast<uint8_t>(literalOrLength));
        return false;
    }
    if (IsEndOfBlock(entry)) return true;
    if (entry & Tree::kSpecial) Fail("Invalid length symbol");
    unsigned distance = 0;
    if (DecodeEntry(input_, distances, distance) & Tree::kSpecial) Fail("Invalid distance symbol");
    output_.Copy(distance, literalOrLength);
    return false;
}

} // namespace

size_t InflateToBuffer(TInflateInput& input, uint8_t* target, size_t capacity) {
    TInflateBuffer buffer(target, capacity);
    TInflater(input, buffer).Run();
    return buffer.Size();
}

} // namespace qv::skin
