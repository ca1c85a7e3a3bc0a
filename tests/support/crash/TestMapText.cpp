#include "tests/support/crash/TestMapText.h"

#include "crash/symbols/MapFileReader.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

std::string SampleMapText() {
    return " Start         Length     Name                   Class\r\n"
           " 0001:00000000 00002000H .text                   CODE\r\n"
           "\r\n"
           "\r\n"
           "Detailed map of segments\r\n"
           "\r\n"
           " 0001:00000000 00000100 C=CODE     S=.text    G=(none)   M=C:\\src\\System  ACBP=|System\r\n"
           " 0001:00000100 00000200 C=CODE     S=.text    G=(none)   M=Unit1      ACBP=A9 M=Unit1\r\n"
           " 0002:00000000 00000040 C=DATA     S=.data    G=DGROUP   M=Unit1      ACBP=A9 M=Unit1\r\n"
           " 0001:00000300 00000010 C=CODE  too short\r\n"
           " 0003:00000400 00000100 C=TLS      S=.tls     G=(none)   M=Unit1      ACBP=A9 M=Unit1\r\n"
           "\r\n"
           " 0001:00000300 00000100 C=CODE     S=.text    G=(none)   M=Late       ACBP=A9 M=Late\r\n"
           "\r\n"
           "  Address         Publics by Name\r\n"
           "\r\n"
           " 0001:00000000       ShouldNotAppear\r\n"
           "\r\n"
           "  Address         Publics by Value\r\n"
           "\r\n"
           " 0001:00000000       System\r\n"
           " 0001:00000010       @System@Move$qqrpxvpvi\r\n"
           " 0001:00000100       @Unit1@TForm1@$bctr$qqrp18Classes@TComponent\r\n"
           " 0001:00000120       @Unit1@TForm1@$bdtr$qqrv\r\n"
           " 0001:00000140       @Unit1@TForm1@Button1Click$qqrp14System@TObject\r\n"
           " 0001:00000180       @System@TObject@Free$qqrv\r\n"
           " 0001:000001A0       @$xp$14System@TObject\r\n"
           " 0001:000001C0       @Unit1@Outer::Inner@Run$qqrv\r\n"
           " 0002:00000008       DataTable\r\n"
           "\r\n"
           "Line numbers for Unit1(Unit1.cpp) segment .text\r\n"
           "\r\n"
           "    10 0001:00000100    11 0001:00000108    30 0001:00000140    31 0001:00000150\r\n"
           "    29 0001:00000148    32 0001:00000160\r\n"
           "\r\n"
           "Line numbers for System(System.pas) segment .text\r\n"
           "\r\n"
           "   100 0001:00000010   101 0001:00000018\r\n"
           "\r\n"
           "Program entry point at 0001:00000140\r\n";
}

TMapFile SampleMap(uintptr_t codeStart) {
    TMapFile map;
    map.codeStart = codeStart;
    EXPECT_TRUE(TMapFileReader::Read(SampleMapText(), map));
    return map;
}

} // namespace qv::crash::test
