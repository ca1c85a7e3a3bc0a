#pragma once

#include "server/WordSink.h"

#include <memory>
#include <string_view>

struct fts5_tokenizer;
struct sqlite3;

namespace qv::server {

// Lets the writer of the full-text index hear the words the index takes from a text, as the
// index takes them, so that nothing else has to split the same text again. On its connection the
// tap stands in for the index's tokenizer, under the tokenizer's name, and hands every word on
// to the index unchanged. The index of a connection keeps the tokenizer it found when the
// connection first used it: install the tap before that.
class IndexWordTap {
public:
    // The tap of the connection, installed by the first call; the connection keeps it.
    static IndexWordTap& Of(sqlite3* db);

    ~IndexWordTap();
    IndexWordTap(const IndexWordTap&) = delete;
    IndexWordTap& operator=(const IndexWordTap&) = delete;

    // Runs `write`, which writes one row of the index whose text column holds `text`, and hands
    // `word` each word the index takes from that text, folded, in order and repeated as it comes;
    // the view lasts for the call only. A failure of `word` is raised in place of the index's.
    template <typename Sink, typename Write>
    void Hear(std::string_view text, Sink&& word, Write&& write) {
        WordSink sink(word);
        Listen(text, sink);
        try {
            write();
        } catch (...) {
            StopListening(false);
            throw;
        }
        StopListening(true);
    }

private:
    // One tokenizer the index made through the tap, around one of the index's own tokenizer.
    struct Instance;

    IndexWordTap(void* tokenizerData, const fts5_tokenizer& tokenizer);
    void Listen(std::string_view text, WordSink& sink);
    bool IsListeningTo(int flags, std::string_view text) const;
    // Raises the failure of the sink, or, after a write, for a text whose words never came.
    void StopListening(bool wrote);

    // The index's own tokenizer and its data.
    void* tokenizerData_;
    std::unique_ptr<fts5_tokenizer> tokenizer_;
    // The text listened for, until its words came, and where they go (none: not listening).
    std::string_view text_;
    bool heard_ = false;
    WordSink* sink_ = nullptr;
};

} // namespace qv::server
