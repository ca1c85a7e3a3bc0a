#include "tests/support/skin/SkinTestSupport.h"

#include "framework/Stream.h"
#include "platform/zlib/RawDeflate.h"
#include "skin/archive/EInflateError.h"
#include "skin/archive/HuffmanTree.h"
#include "skin/archive/Inflater.h"
#include "skin/archive/MatchCopy.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace qv::skin::test {
using qv::framework::TMemoryStream;

namespace {

const uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

// Decodes into a buffer of maxOutput bytes, reading the input from memory and from a stream, which
// must agree; then into one of exactly the decoded size, which must not be written past, and one
// byte smaller, which must be refused.
std::string Inflate(const std::string& deflated, size_t maxOutput = 4 << 20) {
    const auto fromMemory = [&](uint8_t* buffer, size_t capacity) {
        TInflateInput input(Bytes(deflated), deflated.size());
        return InflateToBuffer(input, buffer, capacity);
    };
    std::string streamed(maxOutput, '\0');
    TMemoryStream source(deflated);
    TInflateInput streamInput(source);
    std::optional<size_t> streamedSize;
    try {
        streamedSize = InflateToBuffer(streamInput, reinterpret_cast<uint8_t*>(streamed.data()), maxOutput);
    } catch (const EInflateError&) {}
    if (!streamedSize) {
        const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(maxOutput);
        EXPECT_THROW(fromMemory(buffer.get(), maxOutput), EInflateError);
        throw EInflateError("the stream does not decode");
    }
    streamed.resize(*streamedSize);
    constexpr size_t kGuard = 64;
    std::string buffer(streamed.size() + kGuard, '\x5A');
    auto* const data = reinterpret_cast<uint8_t*>(buffer.data());
    EXPECT_EQ(fromMemory(data, streamed.size()), streamed.size());
    EXPECT_EQ(buffer.substr(0, streamed.size()), streamed);
    EXPECT_EQ(buffer.substr(streamed.size()), std::string(kGuard, '\x5A')) << "written past the end";
    if (!streamed.empty()) {
        EXPECT_THROW(fromMemory(data, streamed.size() - 1), EInflateError);
    }
    return streamed;
}

// One deflate stream whose parts zlib codes as dynamic, stored and fixed blocks, in that order.
std::string DeflateInThreeBlockTypes(const std::string& dynamicPart, const std::string& storedPart,
                                     const std::string& fixedPart) {
    platform::TRawDeflater deflater(platform::kDeflateBest);
    deflater.Add(dynamicPart);
    deflater.SetParams(platform::kDeflateStored, platform::TDeflateStrategy::Default);
    deflater.Add(storedPart);
    deflater.SetParams(platform::kDeflateBest, platform::TDeflateStrategy::FixedCodes);
    deflater.Add(fixedPart);
    std::optional<std::string> deflated = deflater.Finish();
    EXPECT_TRUE(deflated);
    return deflated.value_or("");
}

} // namespace

TEST(HuffmanTree, BuildsCanonicalCodesIndexedLeastSignificantBitFirst) {
    // Lengths 2, 1, 3, 3 give the codes 10, 0, 110, 111.
    const uint8_t lengths[] = {2, 1, 3, 3};
    const uint32_t meanings[] = {THuffmanTree::Meaning(10, 0), THuffmanTree::Meaning(11, 0),
                                 THuffmanTree::Meaning(12, 5), THuffmanTree::Meaning(13, 5)};
    THuffmanTree tree(7);
    tree.Build(lengths, 4, meanings);
    EXPECT_EQ(tree.Max(), 3u);
    for (uint32_t bits : {0b000u, 0b010u, 0b100u, 0b110u})
        EXPECT_EQ(THuffmanTree::Value(tree.Lookup(bits)), 11u) << bits;
    EXPECT_EQ(THuffmanTree::Value(tree.Lookup(0b001)), 10u);
    EXPECT_EQ(THuffmanTree::CodeLength(tree.Lookup(0b101)), 2u);
    const uint32_t third = tree.Lookup(0b011);
    EXPECT_EQ(THuffmanTree::Value(third), 12u);
    EXPECT_EQ(THuffmanTree::CodeLength(third), 3u);
    // The five bits after the code 110 are its extra bits: 10110 gives 22.
    EXPECT_EQ(THuffmanTree::ExtraValue(0b10110011, third), 22u);
    EXPECT_EQ(THuffmanTree::Value(tree.Lookup(0b111)), 13u);

    const uint8_t single[] = {0, 1};
    tree.Build(single, 2, meanings);
    EXPECT_EQ(THuffmanTree::Value(tree.Lookup(0)), 11u);
    EXPECT_EQ(tree.Lookup(1), THuffmanTree::kEmpty);

    const uint8_t overSubscribed[] = {1, 1, 1};
    EXPECT_THROW(tree.Build(overSubscribed, 3, meanings), EInflateError);
    const uint8_t tooLong[] = {8, 1};
    EXPECT_THROW(tree.Build(tooLong, 2, meanings), EInflateError);
}

TEST(Inflater, DecodesDynamicStoredAndFixedBlocksOfOneStreamLikeZlib) {
    const std::string dynamicPart = MixedData(150000, 1);
    const std::string storedPart = MixedData(90000, 2);
    const std::string fixedPart = MixedData(70000, 3);
    const std::string deflated = DeflateInThreeBlockTypes(dynamicPart, storedPart, fixedPart);
    ASSERT_EQ((deflated[0] >> 1) & 3, 2) << "the stream must open with a dynamic block";
    ASSERT_GT(deflated.size(), storedPart.size());

    const std::string inflated = Inflate(deflated);
    EXPECT_EQ(inflated, ZlibInflateRaw(deflated));
    EXPECT_EQ(inflated, dynamicPart + storedPart + fixedPart);
}

TEST(Inflater, DecodesLongStreamsAcrossWindowSlides) {
    std::mt19937 random(7);
    std::string block(32768, '\0');
    for (char& c : block)
        c = static_cast<char>(random());
    // Matches at the longest distance, overlapping runs, and 2 MB of mixed data.
    const std::string data = block + block + std::string(5000, 'a') + "ab" + std::string(3000, 'b') +
                             MixedData(2 << 20, 11) + block;
    for (const bool store : {false, true}) {
        const std::string deflated = DeflateRaw(data, store);
        EXPECT_EQ(Inflate(deflated), data) << "store " << store;
    }
    EXPECT_EQ(Inflate(DeflateRaw("", false)), "");
}

// Random code-length sets, complete and incomplete: every index of the table holds the one symbol
// whose code ends it (RFC 1951's canonical codes, read least significant bit first) or kEmpty.
TEST(HuffmanTree, TablesOfRandomCodeLengthsHoldEveryCodeAtEveryIndexItEnds) {
    std::mt19937 random(77);
    THuffmanTree tree(15);
    constexpr unsigned kMostSymbols = 41;
    std::vector<uint32_t> meanings(kMostSymbols);
    for (unsigned symbol = 0; symbol < meanings.size(); ++symbol)
        meanings[symbol] = THuffmanTree::Meaning(symbol, symbol % 4);
    int built = 0;
    for (int round = 0; round < 400; ++round) {
        const unsigned symbolCount = 2 + random() % (kMostSymbols - 1);
        std::vector<uint8_t> lengths(symbolCount);
        for (uint8_t& length : lengths)
            length = static_cast<uint8_t>(random() % 3 == 0 ? 0 : 1 + random() % (1 + round % 15));
        try {
            tree.Build(lengths.data(), symbolCount, meanings.data());
        } catch (const EInflateError&) {
            continue;
        }
        ++built;
        const unsigned max = *std::max_element(lengths.begin(), lengths.end());
        ASSERT_EQ(tree.Max(), max);
        std::vector<uint32_t> expected(size_t{1} << max, THuffmanTree::kEmpty);
        uint32_t code = 0;
        for (unsigned length = 1; length <= max; ++length, code <<= 1) {
            for (unsigned symbol = 0; symbol < symbolCount; ++symbol) {
                if (lengths[symbol] != length) continue;
                uint32_t reversed = 0;
                for (unsigned bit = 0; bit < length; ++bit)
                    reversed |= ((code >> bit) & 1) << (length - 1 - bit);
                ++code;
                for (uint32_t index = reversed; index < expected.size(); index += uint32_t{1} << length)
                    expected[index] = THuffmanTree::Entry(meanings[symbol], length);
            }
        }
        for (uint32_t index = 0; index < expected.size(); ++index)
            ASSERT_EQ(tree.Lookup(index), expected[index]) << "round " << round << " index " << index;
    }
    EXPECT_GT(built, 100);
}

TEST(MatchCopy, RepeatsShortPeriodsLikeAByteByByteCopy) {
    constexpr size_t kHistory = 300;
    std::mt19937 random(3);
    std::vector<uint8_t> history(kHistory);
    for (uint8_t& byte : history)
        byte = static_cast<uint8_t>(random());
    for (unsigned distance = 1; distance <= 40; ++distance) {
        for (unsigned length = 3; length <= kMaxMatch; ++length) {
            std::vector<uint8_t> expected = history;
            for (unsigned i = 0; i < length; ++i)
                expected.push_back(expected[kHistory - distance + i]);
            std::vector<uint8_t> window = history;
            window.resize(kHistory + length + kCopySlack);
            CopyMatch(window.data() + kHistory, distance, length);
            window.resize(kHistory + length);
            ASSERT_EQ(window, expected) << "distance " << distance << " length " << length;
        }
    }
}

TEST(Inflater, DecodesRepeatsOfEveryShortPeriod) {
    std::mt19937 random(21);
    std::string data;
    for (int round = 0; round < 3; ++round) {
        for (unsigned period = 1; period <= 24; ++period) {
            std::string pattern(period, '\0');
            for (char& c : pattern)
                c = static_cast<char>(random());
            const size_t length = 3 + random() % 1200;
            for (size_t i = 0; i < length; ++i)
                data += pattern[i % period];
            data.append(MixedData(1 + random() % 50, period));
        }
    }
    EXPECT_EQ(Inflate(DeflateRaw(data, false)), data);
}

TEST(Inflater, RejectsMalformedStreams) {
    TBitWriter tooManyLiterals;
    tooManyLiterals.Put(1, 1);
    tooManyLiterals.Put(2, 2);
    tooManyLiterals.Put(30, 5);
    tooManyLiterals.Put(0, 5);
    tooManyLiterals.Put(0, 4);
    EXPECT_THROW(Inflate(tooManyLiterals.Bytes() + std::string(64, '\0')), EInflateError);

    TBitWriter tooManyDistances;
    tooManyDistances.Put(1, 1);
    tooManyDistances.Put(2, 2);
    tooManyDistances.Put(0, 5);
    tooManyDistances.Put(30, 5);
    tooManyDistances.Put(0, 4);
    EXPECT_THROW(Inflate(tooManyDistances.Bytes() + std::string(64, '\0')), EInflateError);

    // A fixed block whose first symbol is a match of distance 1, before any output.
    TBitWriter matchBeforeStart;
    matchBeforeStart.Put(1, 1);
    matchBeforeStart.Put(1, 2);
    matchBeforeStart.PutCode(0b0000001, 7);
    matchBeforeStart.PutCode(0, 5);
    EXPECT_THROW(Inflate(matchBeforeStart.Bytes() + std::string(8, '\0')), EInflateError);

    TBitWriter reservedType;
    reservedType.Put(1, 1);
    reservedType.Put(3, 2);
    EXPECT_THROW(Inflate(reservedType.Bytes()), EInflateError);

    // Fixed-code length symbol 286 does not exist.
    TBitWriter invalidLength;
    invalidLength.Put(1, 1);
    invalidLength.Put(1, 2);
    invalidLength.PutCode(0b11000110, 8);
    EXPECT_THROW(Inflate(invalidLength.Bytes() + std::string(8, '\0')), EInflateError);

    // A dynamic block whose distance code leaves part of the code space unused: zlib refuses it.
    const std::string incompleteDistances(
        "\xed\xc1\x31\x01\x00\x00\x0c\xc3\x20\xad\xc1\xbf\x88\xa9\xd8\x57\x56\xd7", 18);
    EXPECT_THROW(Inflate(incompleteDistances), EInflateError);
}

TEST(Inflater, TruncatedInputFailsInsteadOfDecodingZeros) {
    const std::string deflated = DeflateRaw(MixedData(6000, 5), false);
    for (size_t length = 0; length < deflated.size(); ++length)
        EXPECT_THROW(Inflate(deflated.substr(0, length)), EInflateError) << length;
    // Zero bits read as endless empty stored blocks: the end of the input must stop them.
    EXPECT_THROW(Inflate(std::string(1000, '\0')), EInflateError);
    TBitWriter shortStored;
    shortStored.Put(1, 1);
    shortStored.Put(0, 2);
    EXPECT_THROW(Inflate(shortStored.Bytes() + std::string("\x00\x01\xFF\xFE", 4) + "only a few bytes"),
                 EInflateError);
    // A stored block's length must come with its complement.
    EXPECT_EQ(Inflate(shortStored.Bytes() + std::string("\x05\x00\xFA\xFF", 4) + "hello"), "hello");
    EXPECT_THROW(Inflate(shortStored.Bytes() + std::string("\x05\x00\x00\x00", 4) + "hello"), EInflateError);
}

TEST(Inflater, StopsAtTheOutputLimit) {
    const std::string zeros(1 << 20, '\0');
    const std::string deflated = DeflateRaw(zeros, false);
    EXPECT_EQ(Inflate(deflated, 1 << 20).size(), zeros.size());
    EXPECT_THROW(Inflate(deflated, (1 << 20) - 1), EInflateError);
    EXPECT_THROW(Inflate(deflated, 100000), EInflateError);
}

TEST(Inflater, RandomAndMutatedInputEitherDecodesOrFails) {
    const std::string valid = DeflateRaw(MixedData(20000, 9), false);
    std::mt19937 random(12345);
    int failures = 0;
    const auto attempt = [&](const std::string& input) {
        try {
            Inflate(input, 4 << 20);
        } catch (const EInflateError&) {
            ++failures;
        }
    };
    for (int n = 0; n < 300; ++n) {
        std::string noise(1 + random() % 3000, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        attempt(noise);
    }
    ForEachCorruption(valid, 700, 99, attempt);
    EXPECT_GT(failures, 500);
}

} // namespace qv::skin::test
