#include "server/IndexTokenizer.h"

#include "server/SqliteStatement.h"
#include "server/TenderIndex.h"

#include <algorithm>
#include <iterator>
#include <sqlite3.h>
#include <string>

namespace qv::server {

namespace {

int HandOn(void* sink, int flags, const char* word, int length, int, int) {
    return static_cast<WordSink*>(sink)->Take(flags, word, length);
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

void IndexTokenizer::Tokenize(std::string_view text, WordSink& sink) const {
    // Our texts are capped far below 2 GB, the most the tokenizer takes in one call.
    const int code = methods_->xTokenize(tokenizer_, &sink, FTS5_TOKENIZE_DOCUMENT, text.data(),
                                         static_cast<int>(text.size()), HandOn);
    sink.RaiseFailure();
    if (code != SQLITE_OK) throw ESqliteError("the full-text tokenizer failed");
}

} // namespace qv::server
