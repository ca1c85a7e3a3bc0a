#include "tests/support/crash/ScriptedNameServer.h"

#include "crash/delivery/DnsMessage.h"

#include <arpa/inet.h>
#include <poll.h>

namespace qv::crash::test {

namespace {

void Word(std::string& out, uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

std::string Name(const std::string& name) {
    std::string bytes;
    size_t start = 0;
    while (start < name.size()) {
        const size_t end = std::min(name.find('.', start), name.size());
        bytes += static_cast<char>(end - start);
        bytes += name.substr(start, end - start);
        start = end + 1;
    }
    return bytes + '\0';
}

// A record of the class IN with the owner already in its wire form.
std::string Record(const std::string& owner, uint16_t type, const std::string& data) {
    std::string record = owner;
    Word(record, type);
    Word(record, 1);
    record += std::string(4, '\0');
    Word(record, static_cast<uint16_t>(data.size()));
    return record + data;
}

std::string MxData(uint16_t preference, const std::string& host) {
    std::string data;
    Word(data, preference);
    return data + Name(host);
}

} // namespace

std::string DnsAnswer(const std::string& query, uint16_t flags, uint16_t count, const std::string& records) {
    std::string answer = query.substr(0, 2);
    Word(answer, flags);
    Word(answer, 1);
    Word(answer, count);
    Word(answer, 0);
    Word(answer, 0);
    return answer + query.substr(12) + records;
}

std::string MxRecord(uint16_t preference, const std::string& host) {
    return Record("\xC0\x0C", TDnsMessage::kTypeMx, MxData(preference, host));
}

std::string MxRecordOf(const std::string& owner, uint16_t preference, const std::string& host) {
    return Record(Name(owner), TDnsMessage::kTypeMx, MxData(preference, host));
}

std::string CnameRecord(const std::string& owner, const std::string& target) {
    return Record(Name(owner), TDnsMessage::kTypeCname, Name(target));
}

uint16_t QueryId(const std::string& query) {
    return static_cast<uint16_t>(static_cast<uint8_t>(query[0]) << 8 | static_cast<uint8_t>(query[1]));
}

ScriptedNameServer::ScriptedNameServer(Script script)
    : socket_(qv::test::LoopbackListener::Kind::Datagram), script_(std::move(script)) {
    thread_ = std::thread([this] { Serve(); });
}

ScriptedNameServer::~ScriptedNameServer() {
    stop_.store(true);
    thread_.join();
}

std::vector<uint16_t> ScriptedNameServer::SourcePorts() const {
    const std::lock_guard lock(mutex_);
    return sourcePorts_;
}

TMxLookup::TServer ScriptedNameServer::Server() const {
    return *TMxLookup::Server("127.0.0.1", socket_.Port());
}

void ScriptedNameServer::Serve() {
    while (!stop_.load()) {
        pollfd entry{socket_.Fd(), POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0) continue;
        char buffer[512];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got =
            ::recvfrom(socket_.Fd(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (got <= 0) continue;
        {
            const std::lock_guard lock(mutex_);
            sourcePorts_.push_back(ntohs(from.sin_port));
        }
        ++queries_;
        for (const std::string& reply : script_(std::string(buffer, static_cast<size_t>(got))))
            ::sendto(socket_.Fd(), reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
}

} // namespace qv::crash::test
