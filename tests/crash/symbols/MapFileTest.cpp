#include "crash/symbols/MapFile.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

TMapFile SampleTable() {
    TMapFile map;
    map.codeStart = 0x1000;
    map.segments = {{true, TMfKind::Code, 0x1200, 0x100, "B"},
                    {true, TMfKind::Code, 0x1000, 0x200, "A"},
                    {true, TMfKind::Data, 0x1000, 0x80, "D"}};
    map.publics = {{true, TMfKind::Code, "b1", 0x1200},
                   {true, TMfKind::Code, "a1", 0x1000},
                   {true, TMfKind::Data, "table", 0x1010},
                   {true, TMfKind::Code, "a2", 0x1040},
                   {false, TMfKind::Code, "gone", 0x1080}};
    map.lines = {{12, 0x1204}, {1, 0x1000}, {5, 0x1040}, {4, 0x1030}};
    map.Sort();
    return map;
}

} // namespace

TEST(MapFileLookup, SegmentContainingTheAddressOfTheAskedKind) {
    const TMapFile map = SampleTable();
    EXPECT_EQ(map.SegmentAt(0x0FFF), nullptr);
    EXPECT_EQ(map.SegmentAt(0x1000)->unitName, "A");
    EXPECT_EQ(map.SegmentAt(0x1010)->unitName, "A");
    EXPECT_EQ(map.SegmentAt(0x1010, TMfKind::Data)->unitName, "D");
    EXPECT_EQ(map.SegmentAt(0x1080, TMfKind::Data), nullptr);
    EXPECT_EQ(map.SegmentAt(0x11FF)->unitName, "A");
    EXPECT_EQ(map.SegmentAt(0x1200)->unitName, "B");
    EXPECT_EQ(map.SegmentAt(0x1300), nullptr);
}

TEST(MapFileLookup, GreatestPublicNotAboveWithinItsKindSkippingInvalidOnes) {
    const TMapFile map = SampleTable();
    EXPECT_EQ(map.PublicAt(0x0FFF), nullptr);
    EXPECT_EQ(map.PublicAt(0x1000)->name, "a1");
    EXPECT_EQ(map.PublicAt(0x1020)->name, "a1");
    EXPECT_EQ(map.PublicAt(0x1020, TMfKind::Data)->name, "table");
    EXPECT_EQ(map.PublicAt(0x100F, TMfKind::Data), nullptr);
    EXPECT_EQ(map.PublicAt(0x1090)->name, "a2");
    EXPECT_EQ(map.PublicAt(0x1FFFF)->name, "b1");
    EXPECT_EQ(map.PublicExactlyAt(0x1040)->name, "a2");
    EXPECT_EQ(map.PublicExactlyAt(0x1010)->name, "table");
    EXPECT_EQ(map.PublicExactlyAt(0x1041), nullptr);
    EXPECT_EQ(map.PublicExactlyAt(0x1080), nullptr);
}

TEST(MapFileLookup, GreatestLineNotAbove) {
    const TMapFile map = SampleTable();
    EXPECT_EQ(map.LineAt(0x0FFF), nullptr);
    EXPECT_EQ(map.LineAt(0x102F)->line, 1);
    EXPECT_EQ(map.LineAt(0x1030)->line, 4);
    EXPECT_EQ(map.LineAt(0x1203)->line, 5);
    EXPECT_EQ(map.LineAt(0x1204)->line, 12);
}

} // namespace qv::crash::test
