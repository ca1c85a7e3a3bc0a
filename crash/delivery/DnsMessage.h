#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::crash {

// The few DNS messages the mail exchanger look-up needs (RFC 1035): a query of one question, and
// the records of an answer. Answers come from the network: every length, count and name pointer
// is checked against the message.
class TDnsMessage {
public:
    static constexpr uint16_t kTypeA = 1;
    static constexpr uint16_t kTypeNs = 2;
    static constexpr uint16_t kTypeCname = 5;
    static constexpr uint16_t kTypeMx = 15;
    static constexpr uint16_t kTypeAaaa = 28;

    struct TRecord {
        std::string name;
        uint16_t type = 0;
        // MX: the preference. Otherwise 0.
        uint16_t preference = 0;
        // MX, NS and CNAME: the name named. A and AAAA: the address bytes.
        std::string data;
    };
    struct TQuestion {
        std::string name;
        uint16_t type = 0;
        uint16_t klass = 0;
    };
    struct TAnswer {
        uint16_t id = 0;
        bool truncated = false;
        int resultCode = 0;
        // The questions as the answer repeats them.
        std::vector<TQuestion> questions;
        std::vector<TRecord> answers;
        std::vector<TRecord> authorities;
        std::vector<TRecord> additionals;
    };

    // A query with recursion desired and one question of the type, class 1.
    static std::string Query(uint16_t id, const std::string& name, uint16_t type);
    // Nothing when the bytes are not a whole, well-formed answer.
    static std::optional<TAnswer> Parse(const std::string& bytes);
    // Whether two names are the same name: without regard to ASCII case or a final ".".
    static bool SameName(const std::string& a, const std::string& b);
};

} // namespace qv::crash
