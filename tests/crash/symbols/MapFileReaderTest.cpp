#include "crash/symbols/MapFileReader.h"

#include "tests/support/crash/TestMapText.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::crash::test {

namespace {

constexpr uintptr_t kCode = 0x400000;

std::string NameAt(const TMapFile& map, uintptr_t offset, TMfKind kind = TMfKind::Code) {
    const TMfPublic* entry = map.PublicAt(kCode + offset, kind);
    return entry != nullptr ? entry->name : "<none>";
}

} // namespace

TEST(MapFileReader, ReadsDetailedSegmentsOnlyUntilTheBlankLineAfterThem) {
    const TMapFile map = SampleMap(kCode);
    ASSERT_EQ(map.segments.size(), 3u);
    EXPECT_EQ(map.SegmentAt(kCode + 0x20)->unitName, "System");
    EXPECT_EQ(map.SegmentAt(kCode + 0x2FF)->unitName, "Unit1");
    EXPECT_EQ(map.SegmentAt(kCode + 0x20, TMfKind::Data)->unitName, "Unit1");
    EXPECT_EQ(map.SegmentAt(kCode + 0x300), nullptr)
        << "the segment after the closing blank line is no segment";
    EXPECT_EQ(map.SegmentAt(kCode + 0x400, TMfKind::Data), nullptr) << "segment 3 is neither code nor data";
}

TEST(MapFileReader, NamesPublicsFromMangledNamesRelativeToTheirSegmentsUnit) {
    const TMapFile map = SampleMap(kCode);
    EXPECT_EQ(NameAt(map, 0x0), "initialization");
    EXPECT_EQ(NameAt(map, 0x10), "Move");
    EXPECT_EQ(NameAt(map, 0x100), "TForm1.Create");
    EXPECT_EQ(NameAt(map, 0x120), "TForm1.Destroy");
    EXPECT_EQ(NameAt(map, 0x140), "TForm1.Button1Click");
    EXPECT_EQ(NameAt(map, 0x180), "System.TObject.Free");
    EXPECT_EQ(NameAt(map, 0x1A0), "System.TObject.Free") << "the @$xp$ type record is no function";
    EXPECT_EQ(NameAt(map, 0x1C0), "Outer.Inner.Run");
    EXPECT_EQ(NameAt(map, 0x8, TMfKind::Data), "DataTable");
    for (const TMfPublic& entry : map.publics)
        EXPECT_NE(entry.name, "ShouldNotAppear") << "publics by name are not read";
}

TEST(MapFileReader, ReadsLineNumbersDroppingAddressesThatDoNotRise) {
    const TMapFile map = SampleMap(kCode);
    const std::vector<std::pair<int, uintptr_t>> expected = {
        {100, 0x10}, {101, 0x18}, {10, 0x100}, {11, 0x108}, {30, 0x140}, {31, 0x150}, {32, 0x160}};
    ASSERT_EQ(map.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(map.lines[i].line, expected[i].first);
        EXPECT_EQ(map.lines[i].address, kCode + expected[i].second);
    }
    EXPECT_EQ(map.entryPoint, kCode + 0x140);
}

TEST(MapFileReader, SplitsMangledNames) {
    std::string unit, name;
    TMapFileReader::SplitMangledName("@Single$qv", unit, name);
    EXPECT_EQ(unit, "");
    EXPECT_EQ(name, "Single");
    TMapFileReader::SplitMangledName("@Unit2@TThing@$bdtr$qqrv", unit, name);
    EXPECT_EQ(unit, "Unit2");
    EXPECT_EQ(name, "TThing.Destroy");
    TMapFileReader::SplitMangledName("@Unit2@TThing@", unit, name);
    EXPECT_EQ(name, "TThing.Create") << "no signature is a constructor";
}

TEST(MapFileReader, RejectsTextWithoutTables) {
    TMapFile map;
    EXPECT_FALSE(TMapFileReader::Read("", map));
    EXPECT_FALSE(TMapFileReader::Read("Publics by Value\r\nnothing here\r\n0001:XYZ bad\r\n", map));
    EXPECT_FALSE(map.valid);
}

TEST(MapFileReader, SurvivesRandomlyDamagedText) {
    const std::string original = test::SampleMapText();
    std::mt19937 random(1234);
    const std::string alphabet = "0123456789ABCDEF:@$ \r\n=\\|()Publics by ValueLine numbers for C=";
    for (int round = 0; round < 3000; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 40);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                text.erase(at, 1 + random() % 30);
                break;
            default:
                text.insert(at, 1, static_cast<char>(random() % 256));
                break;
            }
        }
        TMapFile map;
        map.codeStart = kCode;
        if (!TMapFileReader::Read(text, map)) continue;
        for (const TMfPublic& entry : map.publics)
            EXPECT_GE(entry.address, kCode);
    }
}

} // namespace qv::crash::test
