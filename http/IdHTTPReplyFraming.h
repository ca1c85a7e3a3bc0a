#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How the numbers and codings of a reply header frame its body. Every number on the wire is
// read strictly: a reply whose framing cannot be trusted is an error, never a guess, since a
// guess can end a body early or read the next reply into it.
namespace qv::http {

// The status code of a status line's second token: decimal digits only; anything else raises
// the framework's conversion error.
int32_t ReplyStatusCode(const std::string& token);

// The body length that the values of a reply's Content-Length lines give (a line may list
// the same value several times); none without such a line. Raises EIdMalformedReply for a
// value that is not decimal digits or does not fit 63 bits, and for values that differ.
std::optional<int64_t> ReplyContentLength(const std::vector<std::string>& values);

// What the values of a reply's Transfer-Encoding lines say about its body.
enum class TransferCoding {
    Absent,  // no Transfer-Encoding: the length decides
    Chunked, // chunked is the final coding
    Other,   // any other final coding: the body runs until the server closes
};
TransferCoding ReplyTransferCoding(const std::vector<std::string>& values);

// The size on a chunk-size line: hexadecimal digits, ended by the line end, a ";" that starts
// an extension, or a blank. Raises EIdMalformedReply for anything else and for a size that
// does not fit 63 bits.
int64_t ChunkSize(const std::string& line);

} // namespace qv::http
