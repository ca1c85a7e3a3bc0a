#include "http/IdStack.h"

#include "framework/Conversions.h"
#include "framework/Format.h"
#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/IdWinsockErrors.h"

#include <mutex>

namespace qv::http {

TIdStack* GSocketStack = nullptr;
int ActiveComponents = 0;

namespace {

std::mutex stackMutex;
std::unique_ptr<TIdStack> ownedStack;

struct ErrorTextEntry {
    int code;
    const char* text;
};

constexpr ErrorTextEntry errorTexts[] = {
    {Id_WSAEINTR, "Interrupted system call."},
    {Id_WSAEBADF, "Bad file number."},
    {Id_WSAEACCES, "Access denied."},
    {Id_WSAEFAULT, "Bad address."},
    {Id_WSAEINVAL, "Invalid argument."},
    {Id_WSAEMFILE, "Too many open files."},
    {Id_WSAEWOULDBLOCK, "Operation would block. "},
    {Id_WSAEINPROGRESS, "Operation now in progress."},
    {Id_WSAEALREADY, "Operation already in progress."},
    {Id_WSAENOTSOCK, "Socket operation on non-socket."},
    {Id_WSAEDESTADDRREQ, "Destination address required."},
    {Id_WSAEMSGSIZE, "Message too long."},
    {Id_WSAEPROTOTYPE, "Protocol wrong type for socket."},
    {Id_WSAENOPROTOOPT, "Bad protocol option."},
    {Id_WSAEPROTONOSUPPORT, "Protocol not supported."},
    {Id_WSAESOCKTNOSUPPORT, "Socket type not supported."},
    {Id_WSAEOPNOTSUPP, "Operation not supported on socket."},
    {Id_WSAEPFNOSUPPORT, "Protocol family not supported."},
    {Id_WSAEAFNOSUPPORT, "Address family not supported by protocol family."},
    {Id_WSAEADDRINUSE, "Address already in use."},
    {Id_WSAEADDRNOTAVAIL, "Cannot assign requested address."},
    {Id_WSAENETDOWN, "Network is down."},
    {Id_WSAENETUNREACH, "Network is unreachable."},
    {Id_WSAENETRESET, "Net dropped connection or reset."},
    {Id_WSAECONNABORTED, "Software caused connection abort."},
    {Id_WSAECONNRESET, "Connection reset by peer."},
    {Id_WSAENOBUFS, "No buffer space available."},
    {Id_WSAEISCONN, "Socket is already connected."},
    {Id_WSAENOTCONN, "Socket is not connected."},
    {Id_WSAESHUTDOWN, "Cannot send or receive after socket is closed."},
    {Id_WSAETOOMANYREFS, "Too many references, cannot splice."},
    {Id_WSAETIMEDOUT, "Connection timed out."},
    {Id_WSAECONNREFUSED, "Connection refused."},
    {Id_WSAELOOP, "Too many levels of symbolic links."},
    {Id_WSAENAMETOOLONG, "File name too long."},
    {Id_WSAEHOSTDOWN, "Host is down."},
    {Id_WSAEHOSTUNREACH, "No route to host."},
    {Id_WSAENOTEMPTY, "Directory not empty"},
};

// A decimal part of a dotted address: digits only, at most 255.
bool IsAddressPart(const std::string& part) {
    if (part.empty() || part.size() > 3) return false;
    for (char c : part)
        if (c < '0' || c > '9') return false;
    return std::stoi(part) <= 255;
}

} // namespace

TIdStack::~TIdStack() = default;

std::string TIdStack::LocalAddress() {
    framework::TStringList& addresses = LocalAddresses();
    return addresses.Count() > 0 ? addresses[0] : std::string();
}

framework::TStringList& TIdStack::LocalAddresses() {
    if (!localAddresses_) localAddresses_ = std::make_unique<framework::TStringList>();
    RefreshLocalAddresses();
    return *localAddresses_;
}

std::string TIdStack::ErrorText(int errorCode) {
    for (const auto& entry : errorTexts)
        if (entry.code == errorCode) return entry.text;
    return std::string();
}

std::string TIdStack::FormatAddress(const uint8_t (&address)[4]) {
    return framework::Format("%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
}

void TIdStack::AddressFromText(const std::string& text, uint8_t (&address)[4]) {
    std::string rest = text;
    for (int i = 0; i < 4; ++i) {
        const auto dot = i < 3 ? rest.find('.') : std::string::npos;
        const std::string part = rest.substr(0, dot);
        rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
        address[i] = static_cast<uint8_t>(framework::StrToInt(part) & 0xFF);
    }
}

bool TIdStack::CheckResult(int result, const std::vector<int>& ignore) {
    if (result != Id_SOCKET_ERROR) return false;
    const int code = LastError();
    for (int ignored : ignore)
        if (ignored == code) return true;
    RaiseError(code);
}

void TIdStack::RaiseError(int errorCode) {
    throw EIdSocketError(
        errorCode,
        framework::FormatMessage(framework::FormatMessage(RSStackError, errorCode), ErrorText(errorCode)));
}

TIdStackSocketHandle TIdStack::NewSocket(int type, int protocol) {
    const TIdStackSocketHandle socket = CreateSocket(Id_PF_INET, type, protocol);
    if (socket == Id_INVALID_SOCKET) throw EIdInvalidSocket(RSCannotAllocateSocket);
    return socket;
}

std::string TIdStack::Resolve(const std::string& host) {
    if (framework::SameText(host, "LOCALHOST")) return "127.0.0.1";
    if (IsDottedAddress(host)) return host;
    std::string address = HostToAddress(host);
    if (address.empty()) RaiseError(LastError());
    return address;
}

bool TIdStack::IsDottedAddress(const std::string& text) {
    std::string rest = text;
    for (int i = 0; i < 3; ++i) {
        const auto dot = rest.find('.');
        if (dot == std::string::npos || !IsAddressPart(rest.substr(0, dot))) return false;
        rest.erase(0, dot + 1);
    }
    return IsAddressPart(rest);
}

uint32_t TIdStack::ParseAddress(const std::string& text) {
    uint8_t bytes[4];
    AddressFromText(text, bytes);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

TIdSplitTimeout TIdStack::SplitTimeout(int milliseconds) {
    return {milliseconds / 1000, (milliseconds % 1000) * 1000L};
}

void AcquireSocketStack() {
    std::lock_guard lock(stackMutex);
    if (!GSocketStack) {
        ownedStack = TIdStack::CreateStack();
        GSocketStack = ownedStack.get();
    }
    ++ActiveComponents;
}

void ReleaseSocketStack() {
    std::lock_guard lock(stackMutex);
    if (ActiveComponents > 0 && --ActiveComponents == 0) {
        GSocketStack = nullptr;
        ownedStack.reset();
    }
}

} // namespace qv::http
