// The tender service's replies: login, browse and view. The login result, the browse total
// (or the conversion error that names the ten characters), the browse rows and the view text
// are what the reply says, with line breaks at CR LF, lone CR and lone LF.
#include "framework/EConvertError.h"
#include "framework/Format.h"
#include "fuzz/support/FuzzInput.h"
#include "service/ServiceReplies.h"

namespace {

// The lines of a text as the service's replies split them; a NUL ends the text.
std::vector<std::string> Lines(std::string text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

void CheckLogin(const std::string& reply) {
    using namespace qv;
    const bool succeeded = service::LoginSucceeded(reply);
    fuzz::Require(succeeded == (reply != "Bad login" && reply.size() >= 4 &&
                                service::IsAccountWord(reply.substr(0, 4))),
                  "a login succeeds exactly when the reply opens with an account word");
    if (succeeded)
        fuzz::Require(service::LoginTail(reply) == reply.substr(4), "the details follow the account word");
}

void CheckBrowse(const std::string& reply) {
    using namespace qv;
    const std::string field = reply.size() > 2 ? reply.substr(2, 10) : std::string();
    const size_t digits = field.find_first_not_of(' ');
    const bool plain = digits != std::string::npos && field.size() - digits <= 9 &&
                       field.find_first_not_of("0123456789", digits) == std::string::npos;
    try {
        const int32_t total = service::BrowseReplyTotal(reply);
        if (plain) fuzz::Require(total == std::stoi(field.substr(digits)), "the total is the field's number");
    } catch (const framework::EConvertError& e) {
        fuzz::Require(!plain, "a field of blanks and digits is a total");
        fuzz::Require(e.Message() == framework::FormatMessage(framework::SInvalidInteger, field),
                      "the conversion error names the ten characters");
    }
    const std::vector<service::TenderRow> rows = service::BrowseReplyRows(reply);
    const std::vector<std::string> lines = Lines(reply.size() > 14 ? reply.substr(14) : std::string());
    fuzz::Require(rows.size() == lines.size() / 2, "the rows are the pairs of lines");
    for (size_t i = 0; i < rows.size(); ++i)
        fuzz::Require(rows[i].title == lines[2 * i] && rows[i].id == lines[2 * i + 1],
                      "a row is title then id");
}

void CheckView(const std::string& reply) {
    using namespace qv;
    const std::string text = service::ViewReplyText(reply);
    std::string expected;
    const size_t firstBreak = reply.find_first_of("\r\n");
    if (firstBreak != std::string::npos) {
        std::string rest = reply.substr(firstBreak + (reply.compare(firstBreak, 2, "\r\n") == 0 ? 2 : 1));
        for (size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == '\r' || rest[i] == '\n') {
                if (rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n') ++i;
                expected += "\r\n";
            } else {
                expected += rest[i];
            }
        }
    }
    fuzz::Require(text == expected, "the view text is every line after the first, ended by CR LF");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    CheckLogin(reply);
    CheckBrowse(reply);
    CheckView(reply);
    return 0;
}
