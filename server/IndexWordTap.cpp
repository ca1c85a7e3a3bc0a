#include "server/IndexWordTap.h"

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/TenderIndex.h"

#include <new>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <utility>

namespace qv::server {

using TokenCallback = int (*)(void* context, int flags, const char* word, int length, int start, int end);

struct IndexWordTap::Instance {
    IndexWordTap* tap;
    Fts5Tokenizer* tokenizer;

    // The index's call on its tokenizer and the tap it goes through.
    struct Relay {
        IndexWordTap* tap;
        void* context;
        TokenCallback token;
    };

    static int Create(void* tapData, const char** arguments, int count, Fts5Tokenizer** made) {
        auto* tap = static_cast<IndexWordTap*>(tapData);
        auto* instance = new (std::nothrow) Instance{tap, nullptr};
        if (!instance) return SQLITE_NOMEM;
        const int code =
            tap->tokenizer_->xCreate(tap->tokenizerData_, arguments, count, &instance->tokenizer);
        if (code != SQLITE_OK) {
            delete instance;
            return code;
        }
        *made = reinterpret_cast<Fts5Tokenizer*>(instance);
        return SQLITE_OK;
    }

    static void Delete(Fts5Tokenizer* made) {
        auto* instance = reinterpret_cast<Instance*>(made);
        instance->tap->tokenizer_->xDelete(instance->tokenizer);
        delete instance;
    }

    static int Tokenize(Fts5Tokenizer* made, void* context, int flags, const char* text, int length,
                        TokenCallback token) {
        const auto& instance = *reinterpret_cast<Instance*>(made);
        IndexWordTap& tap = *instance.tap;
        const auto tokenize = tap.tokenizer_->xTokenize;
        if (!tap.IsListeningTo(flags, std::string_view(text, static_cast<size_t>(length))))
            return tokenize(instance.tokenizer, context, flags, text, length, token);
        tap.heard_ = true;
        Relay relay{&tap, context, token};
        return tokenize(instance.tokenizer, &relay, flags, text, length, &Hand);
    }

    static int Hand(void* context, int flags, const char* word, int length, int start, int end) {
        const auto& relay = *static_cast<const Relay*>(context);
        if (const int code = relay.tap->sink_->Take(flags, word, length); code != SQLITE_OK) return code;
        return relay.token(relay.context, flags, word, length, start, end);
    }
};

IndexWordTap& IndexWordTap::Of(sqlite3* db) {
    fts5_api* api = Fts5Api(db);
    void* data = nullptr;
    fts5_tokenizer found{};
    if (api->xFindTokenizer(api, TenderIndex::kTokenizer, &data, &found) != SQLITE_OK)
        throw ESqliteError(std::string("the tokenizer ") + TenderIndex::kTokenizer + " is missing");
    if (found.xCreate == &Instance::Create) return *static_cast<IndexWordTap*>(data);
    std::unique_ptr<IndexWordTap> tap(new IndexWordTap(data, found));
    fts5_tokenizer methods{&Instance::Create, &Instance::Delete, &Instance::Tokenize};
    if (api->xCreateTokenizer(api, TenderIndex::kTokenizer, tap.get(), &methods,
                              [](void* owned) { delete static_cast<IndexWordTap*>(owned); }) != SQLITE_OK)
        throw ESqliteError("cannot install the word tap of the full-text index");
    return *tap.release();
}

IndexWordTap::IndexWordTap(void* tokenizerData, const fts5_tokenizer& tokenizer)
    : tokenizerData_(tokenizerData), tokenizer_(std::make_unique<fts5_tokenizer>(tokenizer)) {}

IndexWordTap::~IndexWordTap() = default;

void IndexWordTap::Listen(std::string_view text, WordSink& sink) {
    text_ = text;
    heard_ = false;
    sink_ = &sink;
}

// The index splits the columns of a row in turn, the text first: the first call on the text
// listened for is the text column's, whatever the other columns hold.
bool IndexWordTap::IsListeningTo(int flags, std::string_view text) const {
    return sink_ && !heard_ && (flags & FTS5_TOKENIZE_DOCUMENT) && text == text_;
}

void IndexWordTap::StopListening(bool wrote) {
    WordSink& sink = *std::exchange(sink_, nullptr);
    sink.RaiseFailure();
    // An empty text may be written without a call on the tokenizer; it has no words anyway.
    if (wrote && !heard_ && !text_.empty())
        throw std::logic_error("the full-text index was opened before its word tap was installed");
}

} // namespace qv::server
