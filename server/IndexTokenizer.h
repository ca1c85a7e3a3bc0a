#pragma once

#include "server/SqliteConnection.h"
#include "server/WordSink.h"

#include <memory>
#include <string_view>

struct fts5_tokenizer;
struct Fts5Tokenizer;

namespace qv::server {

// The full-text index's own tokenizer, with the index's settings: the one that splits and folds
// words for every database, so that all of them find the same tenders. Keeps a connection of its
// own to an empty database in memory, where the tokenizer lives.
class IndexTokenizer {
public:
    IndexTokenizer();
    ~IndexTokenizer();
    IndexTokenizer(const IndexTokenizer&) = delete;
    IndexTokenizer& operator=(const IndexTokenizer&) = delete;

    // Hands each word of `text` to `word`, folded as the index stores it, in order and repeated
    // as it comes; the view lasts for the call only.
    template <typename Sink>
    void Words(std::string_view text, Sink&& word) const {
        WordSink sink(word);
        Tokenize(text, sink);
    }

private:
    void Tokenize(std::string_view text, WordSink& sink) const;

    SqliteConnection db_;
    std::unique_ptr<fts5_tokenizer> methods_;
    Fts5Tokenizer* tokenizer_ = nullptr;
};

} // namespace qv::server
