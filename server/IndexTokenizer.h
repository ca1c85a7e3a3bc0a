#pragma once

#include <functional>
#include <memory>
#include <string_view>

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

    // Hands each word of `text` to `word`, folded as the index stores it, in order and repeated
    // as it comes; the view lasts for the call only.
    void Words(std::string_view text, const std::function<void(std::string_view)>& word) const;

private:
    std::unique_ptr<fts5_tokenizer> methods_;
    Fts5Tokenizer* tokenizer_ = nullptr;
};

} // namespace qv::server
