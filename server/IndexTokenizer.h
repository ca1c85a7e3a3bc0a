#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct fts5_tokenizer;
struct Fts5Tokenizer;

namespace qv::server {

// The full-text index's own tokenizer, taken from a connection, with the index's settings.
class IndexTokenizer {
public:
    explicit IndexTokenizer(sqlite3* db);
    ~IndexTokenizer();
    IndexTokenizer(const IndexTokenizer&) = delete;
    IndexTokenizer& operator=(const IndexTokenizer&) = delete;

    // Appends the words of `text`, folded as the index stores them, in order and repeated as they come.
    void Words(std::string_view text, std::vector<std::string>& words) const;

private:
    std::unique_ptr<fts5_tokenizer> methods_;
    Fts5Tokenizer* tokenizer_ = nullptr;
};

} // namespace qv::server
