#include "server/IndexTokenizer.h"

#include "server/SqliteStatement.h"
#include "server/TenderIndex.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <sqlite3.h>
#include <string>

namespace qv::server {

namespace {

// The sink of one call, the function that hands a word to it, and what the sink raised.
struct Handing {
    void* sink;
    void (*hand)(void* sink, std::string_view word);
    std::exception_ptr failure;
};

// Called from inside SQLite, which an exception must not cross: a failure of the sink stops the
// tokenizer and is raised again once it has returned.
int HandOn(void* context, int flags, const char* word, int length, int, int) {
    // Synonyms stand at the place of a word already handed on.
    if (flags & FTS5_TOKEN_COLOCATED) return SQLITE_OK;
    auto& handing = *static_cast<Handing*>(context);
    try {
        handing.hand(handing.sink, std::string_view(word, static_cast<size_t>(length)));
    } catch (...) {
        handing.failure = std::current_exception();
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

} // namespace

IndexTokenizer::IndexTokenizer()
    : db_(OpenSqlite(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX)),
      methods_(std::make_unique<fts5_tokenizer>()) {
    fts5_api* api = Fts5Api(db_.get());
    void* userData = nullptr;
    const char* arguments[std::size(TenderIndex::kTokenizerArguments)];
    std::copy(std::begin(TenderIndex::kTokenizerArguments), std::end(TenderIndex::kTokenizerArguments),
              arguments);
    if (api->xFindTokenizer(api, TenderIndex::kTokenizer, &userData, methods_.get()) != SQLITE_OK ||
        methods_->xCreate(userData, arguments, static_cast<int>(std::size(arguments)), &tokenizer_) !=
            SQLITE_OK)
        throw ESqliteError(std::string("the tokenizer ") + TenderIndex::kTokenizer + " is missing");
}

IndexTokenizer::~IndexTokenizer() {
    methods_->xDelete(tokenizer_);
}

void IndexTokenizer::Tokenize(std::string_view text, void* sink, WordCallback word) const {
    Handing handing{sink, word, nullptr};
    // Our texts are capped far below 2 GB, the most the tokenizer takes in one call.
    const int code = methods_->xTokenize(tokenizer_, &handing, FTS5_TOKENIZE_DOCUMENT, text.data(),
                                         static_cast<int>(text.size()), HandOn);
    if (handing.failure) std::rethrow_exception(handing.failure);
    if (code != SQLITE_OK) throw ESqliteError("the full-text tokenizer failed");
}

} // namespace qv::server
