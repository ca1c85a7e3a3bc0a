// A mail server's replies as the report's SMTP delivery and the connection's numbered replies
// gather them: the bytes arrive in pieces of a size the first byte chooses, and, with its fourth
// bit set, the largest reply is cut to 64 bytes, so that small inputs reach the refusal of an
// overlong one. The replies gathered must be the ones a plain reading of the whole stream gives,
// in order, and the reader may refuse only a reply larger than its limit.
#include "crash/delivery/EhloReply.h"
#include "fuzz/support/FuzzInput.h"
#include "http/text/IdReplyReader.h"

#include <cctype>

namespace {

using qv::http::TIdReplyReader;

constexpr size_t kSmallestLimit = 64;

struct TWholeReply {
    std::vector<std::string> lines;
    // Its bytes as sent, line ends included.
    size_t size = 0;
};

// Whether the line begins with the first line's three characters, in any case.
bool SameCode(const std::string& line, const std::string& first) {
    for (size_t i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) !=
            std::tolower(static_cast<unsigned char>(first[i])))
            return false;
    return true;
}

// Every line up to LF, one CR before it dropped; a reply whose first line has "-" as fourth
// character ends at a line shorter than four characters or with the first line's code and a blank,
// any other is one line. The last entry holds the lines of a reply the stream leaves incomplete.
std::vector<TWholeReply> ReadPlainly(const std::string& stream) {
    std::vector<TWholeReply> replies(1);
    size_t start = 0;
    for (size_t end = stream.find('\n'); end != std::string::npos; end = stream.find('\n', start)) {
        std::string line = stream.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        replies.back().size += end + 1 - start;
        start = end + 1;
        const std::vector<std::string>& lines = replies.back().lines;
        const bool last = lines.empty()
                              ? line.size() < 4 || line[3] != '-'
                              : line.size() < 4 || (line[3] == ' ' && SameCode(line, lines.front()));
        replies.back().lines.push_back(std::move(line));
        if (last) replies.emplace_back();
    }
    replies.back().size += stream.size() - start;
    return replies;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    const std::string& stream = input.Text();
    const size_t piece = input.Piece(0);
    const size_t maxReply = input.Option(3) ? kSmallestLimit : TIdReplyReader::kMaxReply;

    TIdReplyReader reader(maxReply);
    std::vector<TIdReplyReader::TReply> gathered;
    for (size_t at = 0; at < stream.size(); at += piece) {
        reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        while (auto reply = reader.Next())
            gathered.push_back(std::move(*reply));
    }

    const std::vector<TWholeReply> expected = ReadPlainly(stream);
    const size_t whole = expected.size() - 1;
    fuzz::Require(gathered.size() <= whole, "no more replies than the stream holds");
    for (size_t i = 0; i < gathered.size(); ++i) {
        fuzz::Require(gathered[i].lines == expected[i].lines, "each reply holds the stream's lines");
        fuzz::Require(gathered[i].Code() == expected[i].lines.back().substr(0, 3),
                      "the code is the last line's");
        crash::OffersLogin(gathered[i]);
        crash::OffersStartTls(gathered[i]);
    }
    if (reader.Overlong())
        fuzz::Require(expected[gathered.size()].size > maxReply, "only a reply beyond the limit is refused");
    else
        fuzz::Require(gathered.size() == whole, "every whole reply is gathered");
    return 0;
}
