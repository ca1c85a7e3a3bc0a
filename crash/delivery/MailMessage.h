#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qv::crash {

// The text of a mail as the SMTP client sends it after DATA: the header lines, then the body
// alone or, with attachments, a MIME multipart message. Lines end in CR LF.
class TMailMessage {
public:
    static constexpr const char* kBoundary = "zorExcept_SMTP_Boundary";
    // Bytes of a file in one line of Base64: 76 characters.
    static constexpr size_t kBase64LineBytes = 57;

    std::vector<std::string> recipients;
    std::string sender;
    std::string subject;
    std::string body;
    // Paths of files to attach; missing and empty files are left out.
    std::vector<std::string> attachments;

    // Nothing when an attachment cannot be read to its end.
    std::optional<std::string> Compose(std::chrono::system_clock::time_point now) const;

    // "=?ISO-8859-1?Q?" + every byte but letters and digits as "=" and two hex digits + "?=".
    static std::string EncodeSubject(const std::string& subject);
    // "1 Mar 2024 09:05:03 UT", from the UTC clock.
    static std::string Date(std::chrono::system_clock::time_point now);
    // "<" + 16 hex digits of 100-nanosecond intervals since 1601 + "@zorExcept>".
    static std::string MessageId(std::chrono::system_clock::time_point now);
    // Makes the text safe between DATA and the closing ".": every line ends in CR LF (a bare LF or
    // CR as well), a line of a single "." is sent as ". ", and any other line that begins with "."
    // gets a second one, which the server removes.
    static std::string Transparent(const std::string& text);
    // "<address>": the part in angle brackets, or the whole text put in them.
    static std::string AngleAddress(const std::string& address);
};

} // namespace qv::crash
