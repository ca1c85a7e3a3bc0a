#include "http/IdSocksInfo.h"

#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/IdStack.h"
#include "http/IdTCPConnection.h"

#include <cstdint>

namespace qv::http {

namespace {

void AppendPort(std::string& request, int port) {
    request += static_cast<char>((port >> 8) & 0xFF);
    request += static_cast<char>(port & 0xFF);
}

// A length byte can count at most 255 bytes; a longer text is refused, since a cut one would
// name another host or another account.
std::string CountedText(const std::string& text) {
    if (text.size() > 255) throw EIdSocksNameTooLong(RSSocksNameTooLong);
    return static_cast<char>(text.size()) + text;
}

// An answer that does not begin with the version byte of the protocol spoken does not come
// from a SOCKS server.
void CheckVersion(uint8_t actual, uint8_t expected) {
    if (actual != expected) throw EIdSocksServerRespondError(RSSocksServerRespondError);
}

void Send(TIdTCPConnection& connection, const std::string& bytes) {
    connection.SendBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
}

[[noreturn]] void RaiseSocks4Error(uint8_t code) {
    switch (code) {
    case 91:
        throw EIdSocksRequestFailed(RSSocksRequestFailed);
    case 92:
        throw EIdSocksRequestServerFailed(RSSocksRequestServerFailed);
    case 93:
        throw EIdSocksRequestIdentFailed(RSSocksRequestIdentFailed);
    default:
        throw EIdSocksUnknownError(RSSocksUnknownError);
    }
}

[[noreturn]] void RaiseSocks5Error(uint8_t code) {
    switch (code) {
    case 1:
        throw EIdSocksServerGeneralError(RSSocksServerGeneralError);
    case 2:
        throw EIdSocksServerPermissionError(RSSocksServerPermissionError);
    case 3:
        throw EIdSocksServerNetUnreachableError(RSSocksServerNetUnreachableError);
    case 4:
        throw EIdSocksServerHostUnreachableError(RSSocksServerHostUnreachableError);
    case 5:
        throw EIdSocksServerConnectionRefusedError(RSSocksServerConnectionRefusedError);
    case 6:
        throw EIdSocksServerTTLExpiredError(RSSocksServerTTLExpiredError);
    case 7:
        throw EIdSocksServerCommandError(RSSocksServerCommandError);
    case 8:
        throw EIdSocksServerAddressError(RSSocksServerAddressError);
    default:
        throw EIdSocksUnknownError(RSSocksUnknownError);
    }
}

// Reads a SOCKS 5 answer; a server that breaks off did not respond.
void ReadAnswer(TIdTCPConnection& connection, uint8_t* answer, int count) {
    try {
        connection.ReadExact(answer, count);
    } catch (const EIdException&) {
        throw EIdSocksServerRespondError(RSSocksServerRespondError);
    }
}

} // namespace

void TSocksInfo::MakeConnection(TIdTCPConnection& connection, const std::string& host, int port) const {
    switch (Version) {
    case svSocks4:
    case svSocks4A:
        MakeSocks4Connection(connection, host, port);
        break;
    case svSocks5:
        MakeSocks5Connection(connection, host, port);
        break;
    case svNoSocks:
        break;
    }
}

void TSocksInfo::MakeSocks4Connection(TIdTCPConnection& connection, const std::string& host, int port) const {
    std::string request = "\x04\x01";
    AppendPort(request, port);
    if (Version == svSocks4A) {
        request += std::string("\0\0\0\x01", 4);
    } else {
        uint8_t address[4];
        GSocketStack->AddressFromText(GSocketStack->Resolve(host), address);
        request.append(reinterpret_cast<const char*>(address), 4);
    }
    request += UserID.substr(0, 255);
    request += '\0';
    if (Version == svSocks4A) {
        request += host;
        request += '\0';
    }
    Send(connection, request);
    uint8_t answer[8];
    connection.ReadExact(answer, sizeof answer);
    CheckVersion(answer[0], 0);
    if (answer[1] != 90) RaiseSocks4Error(answer[1]);
}

void TSocksInfo::MakeSocks5Connection(TIdTCPConnection& connection, const std::string& host, int port) const {
    const char method = Authentication == saUsernamePassword ? 2 : 0;
    std::string request{5, 1, 0, 3};
    request += CountedText(host);
    AppendPort(request, port);
    const std::string login =
        Authentication == saUsernamePassword ? "\x01" + CountedText(UserID) + CountedText(Password) : "";
    Send(connection, std::string{5, 1, method});
    uint8_t answer[5];
    ReadAnswer(connection, answer, 2);
    CheckVersion(answer[0], 5);
    if (answer[1] != static_cast<uint8_t>(method)) throw EIdSocksAuthMethodError(RSSocksAuthMethodError);
    if (!login.empty()) {
        Send(connection, login);
        ReadAnswer(connection, answer, 2);
        CheckVersion(answer[0], 1);
        if (answer[1] != 0) throw EIdSocksAuthError(RSSocksAuthError);
    }
    Send(connection, request);
    ReadAnswer(connection, answer, 5);
    CheckVersion(answer[0], 5);
    if (answer[1] != 0) RaiseSocks5Error(answer[1]);
    // The bound address and port end the answer; its first byte (or the name's length) is already read.
    int rest;
    switch (answer[3]) {
    case 1:
        rest = 3 + 2;
        break;
    case 3:
        rest = answer[4] + 2;
        break;
    case 4:
        rest = 15 + 2;
        break;
    default:
        throw EIdSocksServerAddressError(RSSocksServerAddressError);
    }
    uint8_t skipped[257 + 2];
    ReadAnswer(connection, skipped, rest);
}

} // namespace qv::http
