#include "crash/tracer/StackLines.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

std::vector<TStackLine> Sample() {
    return {{0x401a2c, 0x401a00, "quorvane", "Unit1", 31, 2, "TForm1.Button1Click"},
            {0x7f12, 0x7f00, "libc.so.6", "", 0, 0, "qsort"},
            {0x4001f0, 0, "quorvane", "System", 1234, 0, ""}};
}

} // namespace

TEST(StackLines, PadsEachColumnToItsLongestValuePlusOne) {
    EXPECT_EQ(ComposeStackLines(Sample(), {}), "00401a2c quorvane  Unit1    31 TForm1.Button1Click\r\n"
                                               "00007f12 libc.so.6             qsort\r\n"
                                               "004001f0 quorvane  System 1234 ");
}

TEST(StackLines, EmptyColumnsTakeNoRoomAndLongAddressesStayWhole) {
    const std::vector<TStackLine> lines = {{0x7f0012345678, 0, "m", "", 0, 0, "f"},
                                           {0x10, 0, "m", "", 0, 0, "g"}};
    EXPECT_EQ(ComposeStackLines(lines, {}), "7f0012345678 m f\r\n00000010     m g");
    EXPECT_EQ(ComposeStackLines({}, {}), "");
}

TEST(StackLines, OffsetAndRelativeLineColumnsOnRequest) {
    TStackOptions options;
    options.showOffset = true;
    options.relativeLines = true;
    EXPECT_EQ(ComposeStackLines(Sample(), options),
              "00401a2c +2c quorvane  Unit1    31+2 TForm1.Button1Click\r\n"
              "00007f12 +12 libc.so.6               qsort\r\n"
              "004001f0     quorvane  System 1234+0 ");
}

} // namespace qv::crash::test
