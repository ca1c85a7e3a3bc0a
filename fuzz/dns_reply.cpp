// Answers to the mail exchanger query, as the report's delivery reads them from a name server:
// the header and its counts, the questions, and the records of every section with their names'
// compression pointers. An answer is read or refused without reading past it, and what is read
// keeps within the message: no name beyond 255 bytes, no more records than the message can hold.
#include "crash/delivery/DnsMessage.h"
#include "fuzz/support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string message(reinterpret_cast<const char*>(data), size);
    const auto answer = crash::TDnsMessage::Parse(message);
    if (!answer) return 0;
    // The smallest record: the root name, then type, class, time to live and length.
    constexpr size_t kSmallestRecord = 1 + 10;
    constexpr size_t kHeaderSize = 12;
    const size_t records = answer->answers.size() + answer->authorities.size() + answer->additionals.size();
    fuzz::Require(records * kSmallestRecord <= message.size() - kHeaderSize,
                  "no more records than the message holds");
    for (const crash::TDnsMessage::TQuestion& question : answer->questions)
        fuzz::Require(question.name.size() <= 255, "a question's name has at most 255 bytes");
    for (const auto* section : {&answer->answers, &answer->authorities, &answer->additionals})
        for (const crash::TDnsMessage::TRecord& record : *section) {
            fuzz::Require(record.name.size() <= 255, "a record's name has at most 255 bytes");
            if (record.type == crash::TDnsMessage::kTypeMx || record.type == crash::TDnsMessage::kTypeNs ||
                record.type == crash::TDnsMessage::kTypeCname)
                fuzz::Require(record.data.size() <= 255, "a named host has at most 255 bytes");
            else
                fuzz::Require(record.data.size() <= message.size(), "record data lies within the message");
        }
    return 0;
}
