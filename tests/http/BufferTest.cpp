#include "http/IdBuffer.h"

#include <gtest/gtest.h>

namespace qv::http::test {
namespace {

std::string Content(const TIdBuffer& buffer) {
    return std::string(buffer.Memory(), static_cast<size_t>(buffer.Size()));
}

TEST(BufferTest, BytesTakenFromTheFrontLeaveTheRestInPlaceForEveryOperation) {
    TIdBuffer buffer;
    buffer.Append("0123456789", 10);
    buffer.SetPosition(6);
    buffer.Remove(2);
    EXPECT_EQ(Content(buffer), "23456789");
    EXPECT_EQ(buffer.Position(), 4);
    char read[3] = {};
    EXPECT_EQ(buffer.Read(read, 3), 3);
    EXPECT_EQ(std::string(read, 3), "678");
    buffer.Write("xyz", 3);
    EXPECT_EQ(Content(buffer), "2345678xyz");
    buffer.SetSize(4);
    EXPECT_EQ(Content(buffer), "2345");
    EXPECT_EQ(buffer.Position(), 4);
    buffer.Append("ab", 2);
    for (int i = 0; i < 3; ++i)
        buffer.Remove(1);
    EXPECT_EQ(Content(buffer), "5ab");
    EXPECT_EQ(buffer.Release(), "5ab");
    EXPECT_EQ(buffer.Size(), 0);
    buffer.Append("cd", 2);
    buffer.Remove(5);
    EXPECT_EQ(buffer.Size(), 0);
    buffer.Append("e", 1);
    EXPECT_EQ(Content(buffer), "e");
}

} // namespace
} // namespace qv::http::test
