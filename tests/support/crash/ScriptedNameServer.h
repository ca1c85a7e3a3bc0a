#pragma once

#include "crash/delivery/MxLookup.h"
#include "tests/support/LoopbackListener.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::crash::test {

// Answer flags: a response with recursion, whole; cut short; the name does not exist.
constexpr uint16_t kAnswerOk = 0x8180;
constexpr uint16_t kAnswerTruncated = 0x8380;
constexpr uint16_t kAnswerNoSuchName = 0x8183;

// An answer to the query: its header with the flags and record count, the question copied, then
// the records.
std::string DnsAnswer(const std::string& query, uint16_t flags, uint16_t count, const std::string& records);
// An MX record for the question's name (a pointer to offset 12) naming the host.
std::string MxRecord(uint16_t preference, const std::string& host);
// Records owned by the name given in full: an MX record naming the host, a CNAME naming the target.
std::string MxRecordOf(const std::string& owner, uint16_t preference, const std::string& host);
std::string CnameRecord(const std::string& owner, const std::string& target);
// The query's id.
uint16_t QueryId(const std::string& query);

// A name server on 127.0.0.1 that answers each query with what the script returns (nothing: no
// answer).
class ScriptedNameServer {
public:
    using Script = std::function<std::vector<std::string>(const std::string& query)>;
    explicit ScriptedNameServer(Script script);
    ~ScriptedNameServer();
    ScriptedNameServer(const ScriptedNameServer&) = delete;
    ScriptedNameServer& operator=(const ScriptedNameServer&) = delete;

    TMxLookup::TServer Server() const;
    int Queries() const { return queries_.load(); }
    // The port of each query's sender, in order.
    std::vector<uint16_t> SourcePorts() const;

private:
    qv::test::LoopbackListener socket_;
    Script script_;
    std::atomic<bool> stop_{false};
    std::atomic<int> queries_{0};
    mutable std::mutex mutex_;
    std::vector<uint16_t> sourcePorts_;
    std::thread thread_;

    void Serve();
};

} // namespace qv::crash::test
