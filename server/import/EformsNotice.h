#pragma once

#include <string>
#include <vector>

namespace qv::server {

// What the service takes from an eForms notice. Texts are UTF-8, each in the language chosen
// for the notice; codes, dates and amounts are as the notice writes them.
struct EformsNotice {
    struct Address {
        std::string street;
        std::string postcode;
        std::string town;
        // A NUTS code.
        std::string region;
        // ISO 3166 alpha-3.
        std::string country;
        std::string description;
    };
    struct Amount {
        std::string value;
        std::string currency;
    };
    struct Lot {
        std::string id;
        std::string title;
        std::string description;
        Amount estimatedValue;
    };

    // The root element: "ContractNotice", "ContractAwardNotice" or "PriorInformationNotice".
    std::string form;
    std::string identifier;
    int version = 1;
    // For a change notice: the notice it changes, with the version it names (0 when it names none).
    std::string changedIdentifier;
    int changedVersion = 0;
    std::string changeDescription;
    std::string typeCode;
    // xs:date, with or without a time zone.
    std::string issueDate;
    std::string buyerName;
    Address buyerAddress;
    std::string title;
    std::string description;
    std::string mainCpv;
    std::vector<std::string> additionalCpv;
    std::vector<Address> places;
    Amount estimatedValue;
    // The earliest time limit for tenders: xs:date and xs:time.
    std::string deadlineDate;
    std::string deadlineTime;
    std::vector<Lot> lots;
};

} // namespace qv::server
