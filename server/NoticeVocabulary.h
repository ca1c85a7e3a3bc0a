#pragma once

#include <string>
#include <vector>

namespace qv::server {

// Word material of generated notices, in UTF-8.
struct CountryWords {
    std::string code;
    std::string name;
    // Relative share of the corpus.
    int weight;
    // "{town}" marks where the town name goes.
    std::string municipality;
    std::vector<std::string> towns;
    std::vector<std::string> streets;
};

struct ContractObject {
    std::string title;
    std::string cpv;
    std::string kind;
};

const std::vector<CountryWords>& Countries();
const std::vector<ContractObject>& ContractObjects();
// Contracting authorities beside the municipality; "{town}" marks the town.
const std::vector<std::string>& AuthorityPatterns();
const std::vector<std::string>& Procedures();
// Optional sentences of the short description; "{n}" receives a small number.
const std::vector<std::string>& ExtraSentences();

} // namespace qv::server
