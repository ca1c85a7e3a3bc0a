#include "crash/symbols/SymbolPackage.h"
#include "crash/symbols/SymbolCipher.h"

#include "tests/support/crash/TestMapText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace qv::crash::test {

namespace {

constexpr uintptr_t kCode = 0x7f0000001000;

void PutUInt32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(value >> shift));
}

bool ReadPackage(const std::string& package, TMapFile& map) {
    map.codeStart = kCode;
    return TSymbolPackage::Read(package.data(), package.size(), map);
}

} // namespace

TEST(SymbolPackage, RoundTripKeepsTheCodeTablesAndEntryPoint) {
    TMapFile source = SampleMap(kCode);
    // Far and backward steps take the long form of a packed integer.
    source.publics.push_back({true, TMfKind::Code, std::string(300, 'x'), kCode + 0x123456});
    source.lines.push_back({70000, kCode + 0x123456});
    source.lines.push_back({3, kCode + 0x123460});
    source.Sort();
    const std::string package = TSymbolPackage::Write(source);
    EXPECT_EQ(package.compare(0, 14, "QuorvaneSymbol"), 0);

    TMapFile copy;
    ASSERT_TRUE(ReadPackage(package, copy));
    EXPECT_EQ(copy.entryPoint, source.entryPoint);
    ASSERT_EQ(copy.lines.size(), source.lines.size());
    for (size_t i = 0; i < copy.lines.size(); ++i) {
        EXPECT_EQ(copy.lines[i].line, source.lines[i].line);
        EXPECT_EQ(copy.lines[i].address, source.lines[i].address);
    }
    for (uintptr_t offset = 0; offset < 0x200; offset += 4) {
        const TMfPublic* expected = source.PublicAt(kCode + offset);
        const TMfPublic* found = copy.PublicAt(kCode + offset);
        ASSERT_EQ(found == nullptr, expected == nullptr);
        if (found != nullptr) {
            EXPECT_EQ(found->name, expected->name);
        }
        EXPECT_EQ(copy.SegmentAt(kCode + offset)->unitName, source.SegmentAt(kCode + offset)->unitName);
    }
    EXPECT_EQ(copy.PublicAt(kCode + 0x123457)->name, std::string(255, 'x')) << "names are cut to 255";
    EXPECT_EQ(copy.PublicAt(kCode + 0x8, TMfKind::Data), nullptr) << "data publics are not packed";
}

TEST(SymbolPackage, PayloadIsScrambledAndTheCipherUndoesItself) {
    TMapFile source = SampleMap(kCode);
    const std::string package = TSymbolPackage::Write(source);
    std::string payload = package.substr(TSymbolPackage::kPayloadOffset);
    uint32_t unpackedSize = 0;
    std::memcpy(&unpackedSize, payload.data(), 4);
    EXPECT_GT(unpackedSize, 1000u) << "the header must not be readable as it stands";
    TSymbolCipher::Apply(reinterpret_cast<uint8_t*>(payload.data()), payload.size());
    std::memcpy(&unpackedSize, payload.data(), 4);
    EXPECT_LT(unpackedSize, 1000u);
    TSymbolCipher::Apply(reinterpret_cast<uint8_t*>(payload.data()), payload.size());
    EXPECT_EQ(payload, package.substr(TSymbolPackage::kPayloadOffset));
}

TEST(SymbolPackage, RejectsDamagedFrames) {
    const std::string good = TSymbolPackage::Write(SampleMap(kCode));
    TMapFile map;
    ASSERT_TRUE(ReadPackage(good, map));

    std::string badSignature = good;
    badSignature[0] = 'q';
    EXPECT_FALSE(ReadPackage(badSignature, map));
    std::string badFormat = good;
    badFormat[18] = 3;
    EXPECT_FALSE(ReadPackage(badFormat, map));
    EXPECT_FALSE(ReadPackage(good.substr(0, good.size() - 1), map)) << "length beyond the data";
    EXPECT_FALSE(ReadPackage(good.substr(0, 21), map));
    std::string flipped = good;
    flipped[good.size() - 3] ^= 0x10;
    EXPECT_FALSE(ReadPackage(flipped, map));
    EXPECT_TRUE(map.segments.empty() && map.publics.empty() && map.lines.empty());

    std::string shortPayload = good.substr(0, TSymbolPackage::kPayloadOffset + 12);
    shortPayload[14] = 12;
    shortPayload[15] = shortPayload[16] = shortPayload[17] = 0;
    EXPECT_FALSE(ReadPackage(shortPayload, map)) << "a payload needs more than its header";
}

TEST(SymbolPackage, RejectsCountsBeyondTheData) {
    TMapFile map;
    std::string tables;
    PutUInt32(tables, 0xFFFFFFFF);
    EXPECT_FALSE(ReadPackage(TSymbolPackage::Pack(tables), map));

    tables.clear();
    PutUInt32(tables, 0);
    PutUInt32(tables, 2);
    tables += std::string("\3abc\x10\0\0\0\x05xy", 11);
    EXPECT_FALSE(ReadPackage(TSymbolPackage::Pack(tables), map)) << "a string running past the end";

    tables.clear();
    PutUInt32(tables, 0);
    PutUInt32(tables, 0);
    PutUInt32(tables, 3);
    PutUInt32(tables, 7);
    PutUInt32(tables, 0x20);
    tables += "\x01\x04\x80";
    EXPECT_FALSE(ReadPackage(TSymbolPackage::Pack(tables), map)) << "a long packed integer cut short";

    tables.resize(tables.size() - 3);
    tables += "\x01\x04\x01\x04";
    ASSERT_TRUE(ReadPackage(TSymbolPackage::Pack(tables), map));
    ASSERT_EQ(map.lines.size(), 3u);
    EXPECT_EQ(map.lines[2].line, 9);
    EXPECT_EQ(map.lines[2].address, kCode + 0x28);
}

TEST(SymbolPackage, SurvivesRandomCorruption) {
    TMapFile source = SampleMap(kCode);
    const std::string good = TSymbolPackage::Write(source);
    std::string tables;
    PutUInt32(tables, 1);
    PutUInt32(tables, 0);
    PutUInt32(tables, 0x10);
    tables += "\4Unit";
    std::mt19937 random(99);
    for (int round = 0; round < 4000; ++round) {
        std::string package = good;
        if (round % 2 == 1) {
            // Damage inside the tables, behind a valid frame and CRC.
            std::string damaged = tables + std::string(random() % 16, '\0');
            for (char& c : damaged)
                if (random() % 4 == 0) c = static_cast<char>(random());
            package = TSymbolPackage::Pack(damaged);
        } else {
            const int edits = 1 + static_cast<int>(random() % 8);
            for (int e = 0; e < edits; ++e)
                package[random() % package.size()] = static_cast<char>(random());
            if (random() % 3 == 0) package.resize(random() % package.size());
        }
        TMapFile map;
        ReadPackage(package, map);
        EXPECT_LE(map.publics.size(), package.size());
    }
}

} // namespace qv::crash::test
