#pragma once

#include "framework/StringList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::http {

using TIdStackSocketHandle = int;
using TIdSocketList = std::vector<TIdStackSocketHandle>;

inline constexpr TIdStackSocketHandle Id_INVALID_SOCKET = -1;
inline constexpr int Id_SOCKET_ERROR = -1;
inline constexpr int Id_PF_INET = 2;
inline constexpr int Id_SOCK_STREAM = 1;
inline constexpr int Id_SOCK_DGRAM = 2;
inline constexpr int Id_SD_Send = 1;
inline constexpr int Id_SELECT_SET_SIZE = 64;
// Time-outs are milliseconds; this one waits without limit.
inline constexpr int IdTimeoutForever = -2;

struct TIdStackVersion {
    std::string Name;
    std::string Description;
    std::string SystemStatus;
};

struct TIdSocketAddress {
    int Family = 0;
    std::string IP;
    int Port = 0;
};

struct TIdSplitTimeout {
    long Seconds;
    long Microseconds;
};

// The socket calls the networking classes make, one virtual operation per call.
// Error codes are in the Windows numbering on every platform.
class TIdStack {
public:
    virtual ~TIdStack();
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;

    virtual void RefreshLocalAddresses() = 0;
    virtual std::string LocalAddress();
    virtual framework::TStringList& LocalAddresses();

    virtual TIdStackSocketHandle Accept(TIdStackSocketHandle socket, std::string& peerIP, int& peerPort) = 0;
    virtual int BindSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) = 0;
    virtual int CloseSocket(TIdStackSocketHandle socket) = 0;
    virtual int ConnectSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) = 0;
    // ConnectSocket that fails with the error 10060 when the connection is not made within
    // `timeout` milliseconds.
    virtual int ConnectSocketWithin(TIdStackSocketHandle socket, int family, const std::string& ip, int port,
                                    int timeout) = 0;
    // An empty answer means the look-up failed; LastError tells why.
    virtual std::string HostToAddress(const std::string& host) = 0;
    virtual std::string LocalHostName() = 0;
    virtual std::string AddressToHost(const std::string& address) = 0;
    virtual int ServiceToPort(const std::string& service) = 0;
    virtual framework::TStringList PortToServices(int port) = 0;
    virtual uint16_t HostToNetShort(uint16_t value) = 0;
    virtual int Listen(TIdStackSocketHandle socket, int backlog) = 0;
    virtual uint16_t NetToHostShort(uint16_t value) = 0;
    virtual uint32_t HostToNetLong(uint32_t value) = 0;
    virtual uint32_t NetToHostLong(uint32_t value) = 0;
    virtual int Receive(TIdStackSocketHandle socket, void* buffer, int length, int flags) = 0;
    virtual int ReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags, std::string& ip,
                            int& port) = 0;
    // Waits on the given lists (null: not waited on) and leaves the ready sockets in them.
    virtual int Select(TIdSocketList* readList, TIdSocketList* writeList, TIdSocketList* errorList,
                       int timeout) = 0;
    virtual int Send(TIdStackSocketHandle socket, const void* buffer, int length, int flags) = 0;
    // Send that fails with the error 10060 when the peer makes no room for the bytes for `timeout`
    // milliseconds (IdTimeoutForever: Send).
    virtual int SendWithin(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                           int timeout) = 0;
    virtual int SendTo(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                       const std::string& ip, int port) = 0;
    virtual int SetSocketOption(TIdStackSocketHandle socket, int level, int option, const void* value,
                                int length) = 0;
    virtual TIdStackSocketHandle CreateSocket(int family, int type, int protocol) = 0;
    virtual int Shutdown(TIdStackSocketHandle socket, int how) = 0;
    virtual std::string ErrorText(int errorCode);
    virtual int LastError() = 0;
    virtual bool PeerAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) = 0;
    virtual bool LocalAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) = 0;
    // Sends a whole file over a socket by the system's own call; the file's size, or 0 when that fails.
    virtual int64_t TransmitFile(TIdStackSocketHandle socket, const std::string& fileName) = 0;
    virtual std::string FormatAddress(const uint8_t (&address)[4]);
    virtual void AddressFromText(const std::string& text, uint8_t (&address)[4]);

    // True when the result is -1 with one of the codes to ignore; raises for any other -1.
    bool CheckResult(int result, const std::vector<int>& ignore = {});
    [[noreturn]] void RaiseError(int errorCode);
    TIdStackSocketHandle NewSocket(int type, int protocol);
    std::string Resolve(const std::string& host);
    static bool IsDottedAddress(const std::string& text);
    // The address as the four bytes appear on the wire, first byte in the low 8 bits.
    uint32_t ParseAddress(const std::string& text);
    static TIdSplitTimeout SplitTimeout(int milliseconds);

    const TIdStackVersion& VersionInfo() const { return versionInfo_; }

    // The stack of this platform.
    static std::unique_ptr<TIdStack> CreateStack();

protected:
    TIdStack() = default;

    TIdStackVersion versionInfo_;
    std::unique_ptr<framework::TStringList> localAddresses_;
};

// The one stack, alive while any networking component exists.
extern TIdStack* GSocketStack;
extern int ActiveComponents;

// Counts a networking component and starts the stack with the first one.
void AcquireSocketStack();
// Uncounts a component and stops the stack with the last one.
void ReleaseSocketStack();

} // namespace qv::http
