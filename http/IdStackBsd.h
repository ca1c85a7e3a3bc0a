#pragma once

#include "http/IdStack.h"

namespace qv::http {

// The stack over the platform's BSD socket calls. There is no library to load: the
// constructor only fills the version record. Sends never raise SIGPIPE, and a signal that
// interrupts a blocking call does not end it.
class TIdStackBsd : public TIdStack {
public:
    TIdStackBsd();

    void RefreshLocalAddresses() override;
    TIdStackSocketHandle Accept(TIdStackSocketHandle socket, std::string& peerIP, int& peerPort) override;
    int BindSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) override;
    int CloseSocket(TIdStackSocketHandle socket) override;
    int ConnectSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) override;
    int ConnectSocketWithin(TIdStackSocketHandle socket, int family, const std::string& ip, int port,
                            int timeout) override;
    std::string HostToAddress(const std::string& host) override;
    std::string LocalHostName() override;
    std::string AddressToHost(const std::string& address) override;
    int ServiceToPort(const std::string& service) override;
    framework::TStringList PortToServices(int port) override;
    uint16_t HostToNetShort(uint16_t value) override;
    int Listen(TIdStackSocketHandle socket, int backlog) override;
    uint16_t NetToHostShort(uint16_t value) override;
    uint32_t HostToNetLong(uint32_t value) override;
    uint32_t NetToHostLong(uint32_t value) override;
    int Receive(TIdStackSocketHandle socket, void* buffer, int length, int flags) override;
    int ReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags, std::string& ip,
                    int& port) override;
    int Select(TIdSocketList* readList, TIdSocketList* writeList, TIdSocketList* errorList,
               int timeout) override;
    int Send(TIdStackSocketHandle socket, const void* buffer, int length, int flags) override;
    int SendWithin(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                   int timeout) override;
    int SendTo(TIdStackSocketHandle socket, const void* buffer, int length, int flags, const std::string& ip,
               int port) override;
    int SetSocketOption(TIdStackSocketHandle socket, int level, int option, const void* value,
                        int length) override;
    TIdStackSocketHandle CreateSocket(int family, int type, int protocol) override;
    int Shutdown(TIdStackSocketHandle socket, int how) override;
    int LastError() override;
    bool PeerAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) override;
    bool LocalAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) override;
    int64_t TransmitFile(TIdStackSocketHandle socket, const std::string& fileName) override;

private:
    // Records the current errno, in the Windows numbering, as this thread's last error; answers -1.
    int Failed();
    // Records an address or port that no call can take; answers -1.
    int Invalid();
    std::string ResolveAll(const std::string& host, framework::TStringList* all);
    // Waits until the socket can take bytes, or a connect on it has ended; answers 0, or -1 with
    // the error 10060 at the time-out.
    int AwaitWritable(TIdStackSocketHandle socket, int timeout);
    // Waits until a connect that did not end at once has ended; answers its result.
    int AwaitConnect(TIdStackSocketHandle socket, int timeout);
};

} // namespace qv::http
