#include "framework/Stream.h"

#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qv::framework::test {

TEST(MemoryStream, WritesGrowAndReadsStopAtTheEnd) {
    TMemoryStream stream;
    EXPECT_EQ(stream.Write("hello", 5), 5);
    stream.SetPosition(3);
    EXPECT_EQ(stream.Write("LOWORLD", 7), 7);
    EXPECT_EQ(stream.DataString(), "helLOWORLD");
    stream.SetPosition(8);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer, 2), "LD");
    stream.SetSize(4);
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST(FileStream, ReadsBackWhatWasWrittenAndFailsOnMissingFiles) {
    const qv::test::ScopedTempFolder folder;
    const std::string path = folder / "stream.bin";
    {
        TFileStream out(path, TFileStream::Mode::Create);
        out.Write("0123456789", 10);
        out.SetSize(6);
    }
    TFileStream in(path, TFileStream::Mode::OpenRead);
    EXPECT_EQ(in.Size(), 6);
    char buffer[16] = {};
    EXPECT_EQ(in.Read(buffer, 16), 6);
    EXPECT_EQ(std::string(buffer, 6), "012345");
    EXPECT_THROW(TFileStream("/nonexistent/qv", TFileStream::Mode::OpenRead), EFOpenError);
}

} // namespace qv::framework::test
