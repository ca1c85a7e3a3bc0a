#pragma once

#include <exception>
#include <string_view>

namespace qv::server {

// Where the full-text tokenizer's words go, handed through SQLite's C callbacks: any callable
// that takes a word. An exception must not cross SQLite's frames, so Take keeps what the callable
// raises and stops the split; RaiseFailure raises it again once SQLite has returned.
class WordSink {
public:
    template <typename Sink>
    explicit WordSink(Sink& sink)
        : sink_(const_cast<void*>(static_cast<const void*>(&sink))),
          hand_([](void* target, std::string_view word) { (*static_cast<Sink*>(target))(word); }) {}

    // Hands on a word the tokenizer found, with the tokenizer's flags; skips the synonyms that
    // stand at the place of a word already handed on. SQLite's result code: an error once the
    // callable has failed.
    int Take(int flags, const char* word, int length) noexcept;
    void RaiseFailure();

private:
    void* sink_;
    void (*hand_)(void* sink, std::string_view word);
    std::exception_ptr failure_;
};

} // namespace qv::server
