// SOCKS 4, 4A and 5 answers as the client reads them while it connects. The first byte
// chooses the version and whether SOCKS 5 logs in; the rest is what the SOCKS server sends.
// The outcome must be the one the answer calls for, and a connection that succeeds must have
// read the answer exactly to its end: the first byte after it is the target's.
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/MemoryPeer.h"
#include "http/IdException.h"
#include "http/IdTCPClient.h"

#include <variant>

namespace {

// What the client must make of an answer: the length of a successful one, or the class of
// the exception it raises.
using Outcome = std::variant<size_t, std::string>;

Outcome Socks4(const std::string& answer) {
    if (answer.size() < 8) return "EIdConnClosedGracefully";
    if (answer[0] != 0) return "EIdSocksServerRespondError";
    switch (static_cast<uint8_t>(answer[1])) {
    case 90:
        return size_t{8};
    case 91:
        return "EIdSocksRequestFailed";
    case 92:
        return "EIdSocksRequestServerFailed";
    case 93:
        return "EIdSocksRequestIdentFailed";
    default:
        return "EIdSocksUnknownError";
    }
}

Outcome Socks5(const std::string& answer, bool login) {
    constexpr const char* kNoAnswer = "EIdSocksServerRespondError";
    constexpr const char* kReplyErrors[] = {
        "",
        "EIdSocksServerGeneralError",
        "EIdSocksServerPermissionError",
        "EIdSocksServerNetUnreachableError",
        "EIdSocksServerHostUnreachableError",
        "EIdSocksServerConnectionRefusedError",
        "EIdSocksServerTTLExpiredError",
        "EIdSocksServerCommandError",
        "EIdSocksServerAddressError",
    };
    const auto byte = [&](size_t at) { return static_cast<uint8_t>(answer[at]); };
    if (answer.size() < 2 || byte(0) != 5) return kNoAnswer;
    if (byte(1) != (login ? 2 : 0)) return "EIdSocksAuthMethodError";
    size_t at = 2;
    if (login) {
        if (answer.size() < 4 || byte(2) != 1) return kNoAnswer;
        if (byte(3) != 0) return "EIdSocksAuthError";
        at = 4;
    }
    if (answer.size() < at + 5 || byte(at) != 5) return kNoAnswer;
    if (byte(at + 1) != 0) return byte(at + 1) <= 8 ? kReplyErrors[byte(at + 1)] : "EIdSocksUnknownError";
    size_t length = at + 4;
    switch (byte(at + 3)) {
    case 1:
        length += 4 + 2;
        break;
    case 3:
        length += 1 + byte(at + 4) + 2;
        break;
    case 4:
        length += 16 + 2;
        break;
    default:
        return "EIdSocksServerAddressError";
    }
    if (answer.size() < length) return kNoAnswer;
    return length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    const std::string& answer = input.Text();
    fuzz::MemoryPeer peer({answer}, fuzz::MemoryPeer::Answers::PerConnection, input.Piece(3));
    http::TIdTCPClient client;
    client.Host = "target.example";
    client.Port = 443;
    http::TSocksInfo socks;
    socks.Host = "127.0.0.1";
    socks.Port = 1080;
    socks.UserID = "user";
    socks.Password = "secret";
    const unsigned version = input.Options(0, 2);
    socks.Version = version == 0 ? http::svSocks4 : version == 1 ? http::svSocks4A : http::svSocks5;
    const bool login = socks.Version == http::svSocks5 && input.Option(2);
    if (login) socks.Authentication = http::saUsernamePassword;
    client.SetSocksInfo(socks);

    const Outcome expected = socks.Version == http::svSocks5 ? Socks5(answer, login) : Socks4(answer);
    try {
        client.Connect();
    } catch (const framework::Exception& e) {
        const auto* name = std::get_if<std::string>(&expected);
        fuzz::Require(name != nullptr,
                      ("an answer that grants the connection fails: " + e.Message()).c_str());
        fuzz::Require(*name == e.ClassName(), ("the failure is " + *name + ", not " + e.ClassName()).c_str());
        return 0;
    }
    const auto* length = std::get_if<size_t>(&expected);
    fuzz::Require(length != nullptr, "an answer that refuses the connection is taken as granting it");
    fuzz::Require(client.ReadAll() == answer.substr(*length), "the answer is read exactly to its end");
    return 0;
}
