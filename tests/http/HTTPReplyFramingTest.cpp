#include "framework/EConvertError.h"
#include "http/IdException.h"
#include "http/IdHTTPReplyFraming.h"

#include <gtest/gtest.h>

namespace qv::http::test {
namespace {

TEST(HTTPReplyFramingTest, StatusCodesAreDecimalDigitsOnly) {
    EXPECT_EQ(ReplyStatusCode("200"), 200);
    EXPECT_EQ(ReplyStatusCode("0404"), 404);
    for (const char* bad : {"", "$C8", "0x1", "+200", "-1", "2OO", " 200", "99999999999"}) {
        try {
            ReplyStatusCode(bad);
            ADD_FAILURE() << bad;
        } catch (const framework::EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}

TEST(HTTPReplyFramingTest, ContentLengthIsStrictAndAgreesWithItself) {
    const struct {
        std::vector<std::string> values;
        std::optional<int64_t> length;
        const char* error; // nullptr: no error
    } cases[] = {
        {{}, std::nullopt, nullptr},
        {{"0"}, 0, nullptr},
        {{"42"}, 42, nullptr},
        {{"42", "42"}, 42, nullptr},
        {{"42, 42"}, 42, nullptr},
        {{"9223372036854775807"}, INT64_MAX, nullptr},
        {{"9223372036854775808"}, std::nullopt, "Invalid Content-Length in reply."},
        {{"$10"}, std::nullopt, "Invalid Content-Length in reply."},
        {{"0x10"}, std::nullopt, "Invalid Content-Length in reply."},
        {{"+5"}, std::nullopt, "Invalid Content-Length in reply."},
        {{"-5"}, std::nullopt, "Invalid Content-Length in reply."},
        {{"1 2"}, std::nullopt, "Invalid Content-Length in reply."},
        {{""}, std::nullopt, "Invalid Content-Length in reply."},
        {{"5", "6"}, std::nullopt, "Conflicting Content-Length in reply."},
        {{"5, 6"}, std::nullopt, "Conflicting Content-Length in reply."},
    };
    for (const auto& c : cases) {
        const std::string label = ::testing::PrintToString(c.values);
        if (!c.error) {
            EXPECT_EQ(ReplyContentLength(c.values), c.length) << label;
            continue;
        }
        try {
            ReplyContentLength(c.values);
            ADD_FAILURE() << label;
        } catch (const EIdMalformedReply& e) {
            EXPECT_EQ(e.Message(), c.error) << label;
        }
    }
}

TEST(HTTPReplyFramingTest, ChunkedCountsOnlyAsTheFinalCodingInAnyCase) {
    const struct {
        std::vector<std::string> values;
        TransferCoding coding;
    } cases[] = {
        {{}, TransferCoding::Absent},
        {{"chunked"}, TransferCoding::Chunked},
        {{"CHUNKED"}, TransferCoding::Chunked},
        {{"gzip, Chunked"}, TransferCoding::Chunked},
        {{"gzip", "chunked"}, TransferCoding::Chunked},
        {{"chunked;x=1"}, TransferCoding::Chunked},
        {{"chunked, gzip"}, TransferCoding::Other},
        {{"xchunked"}, TransferCoding::Other},
        {{""}, TransferCoding::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplyTransferCoding(c.values), c.coding) << ::testing::PrintToString(c.values);
}

TEST(HTTPReplyFramingTest, ChunkSizesAreHexadecimalUpToTheirEnd) {
    const struct {
        const char* line;
        int64_t size; // -1: malformed
    } cases[] = {
        {"0", 0},
        {"5", 5},
        {"1a", 26},
        {"FF", 255},
        {"5;name=x", 5},
        {"5 ;name", 5},
        {"5\tx", 5},
        {"00000000000000000005", 5},
        {"7fffffffffffffff", INT64_MAX},
        {"8000000000000000", -1},
        {"10000000000000000", -1},
        {"", -1},
        {";ext", -1},
        {"g", -1},
        {"0x5", -1},
        {"-5", -1},
        {"+5", -1},
    };
    for (const auto& c : cases) {
        if (c.size >= 0) {
            EXPECT_EQ(ChunkSize(c.line), c.size) << c.line;
            continue;
        }
        try {
            ChunkSize(c.line);
            ADD_FAILURE() << c.line;
        } catch (const EIdMalformedReply& e) {
            EXPECT_EQ(e.Message(), "Invalid chunk size in reply.");
        }
    }
}

} // namespace
} // namespace qv::http::test
