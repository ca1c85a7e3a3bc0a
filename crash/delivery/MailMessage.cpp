#include "crash/delivery/MailMessage.h"

#include <QByteArray>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::crash {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kSecondsBefore1970 = 11644473600;

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

bool EndsWithPng(const std::string& name) {
    if (name.size() < 4) return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".png";
}

// The file's bytes; nothing when it cannot be read to its end.
std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return bytes.str();
}

std::string Base64Lines(const std::string& bytes) {
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += TMailMessage::kBase64LineBytes) {
        const std::string piece = bytes.substr(at, TMailMessage::kBase64LineBytes);
        text += QByteArray(piece.data(), static_cast<qsizetype>(piece.size())).toBase64().toStdString();
        text += kLineEnd;
    }
    return text;
}

} // namespace

std::string TMailMessage::EncodeSubject(const std::string& subject) {
    std::string text = "=?ISO-8859-1?Q?";
    for (const char c : subject) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 128) {
            text += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", byte);
            text += hex;
        }
    }
    return text + "?=";
}

std::string TMailMessage::Date(std::chrono::system_clock::time_point now) {
    const std::time_t time = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%d %s %d %02d:%02d:%02d UT", utc.tm_mday, kMonths[utc.tm_mon],
                  utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string TMailMessage::MessageId(std::chrono::system_clock::time_point now) {
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    const auto intervals = static_cast<uint64_t>(sinceEpoch / 100 + kSecondsBefore1970 * 10000000);
    char text[40];
    std::snprintf(text, sizeof text, "<%016llx@zorExcept>", static_cast<unsigned long long>(intervals));
    return text;
}

std::string TMailMessage::Transparent(const std::string& text) {
    std::string result;
    const auto addLine = [&result](const std::string& line) {
        if (line == ".")
            result += ". ";
        else if (!line.empty() && line[0] == '.')
            result += "." + line;
        else
            result += line;
    };
    std::string line;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        // CR LF, a bare LF and a bare CR all end a line, which leaves as CR LF: a server that
        // takes a bare LF for a line end must not find a lone "." the text did not mean.
        if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        addLine(line);
        result += kLineEnd;
        line.clear();
    }
    addLine(line);
    return result;
}

std::string TMailMessage::AngleAddress(const std::string& address) {
    const size_t open = address.find('<');
    if (open == std::string::npos) return "<" + address + ">";
    const size_t close = address.find('>', open);
    return close == std::string::npos ? address.substr(open) + ">" : address.substr(open, close - open + 1);
}

std::optional<std::string> TMailMessage::Compose(std::chrono::system_clock::time_point now) const {
    std::string to;
    for (const std::string& recipient : recipients)
        to += (to.empty() ? "" : ", ") + recipient;
    std::string text = "To: " + to + kLineEnd + "From: " + sender + kLineEnd +
                       "Subject: " + EncodeSubject(subject) + kLineEnd + "Date: " + Date(now) + kLineEnd +
                       "Message-ID: " + MessageId(now) + kLineEnd;
    std::string parts;
    for (const std::string& path : attachments) {
        const std::optional<std::string> bytes = ReadFile(path);
        if (!bytes) {
            std::error_code ignored;
            if (std::filesystem::exists(path, ignored)) return std::nullopt;
            continue;
        }
        if (bytes->empty()) continue;
        const std::string name = FileNameOf(path);
        parts += std::string("--") + kBoundary + kLineEnd +
                 "Content-Type: " + (EndsWithPng(name) ? "image/png" : "application/octet-stream") +
                 "; name=\"" + name + "\"" + kLineEnd + "Content-Transfer-Encoding: base64" + kLineEnd +
                 "Content-Disposition: attachment; filename=\"" + name + "\"" + kLineEnd + kLineEnd +
                 Base64Lines(*bytes);
    }
    if (parts.empty()) return Transparent(text + kLineEnd + body);
    text += std::string("MIME-Version: 1.0") + kLineEnd + "Content-Type: multipart/mixed; boundary=\"" +
            kBoundary + "\"" + kLineEnd + kLineEnd + "This is a multi-part message in MIME format." +
            kLineEnd + kLineEnd + "--" + kBoundary + kLineEnd +
            "Content-Type: text/plain; charset=\"iso-8859-1\"" + kLineEnd +
            "Content-Transfer-Encoding: 8bit" + kLineEnd + kLineEnd + body + kLineEnd + parts + "--" +
            kBoundary + "--" + kLineEnd;
    return Transparent(text);
}

} // namespace qv::crash
