#include "server/WordSink.h"

#include <sqlite3.h>
#include <utility>

namespace qv::server {

int WordSink::Take(int flags, const char* word, int length) noexcept {
    if (flags & FTS5_TOKEN_COLOCATED) return SQLITE_OK;
    try {
        hand_(sink_, std::string_view(word, static_cast<size_t>(length)));
    } catch (...) {
        failure_ = std::current_exception();
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

void WordSink::RaiseFailure() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

} // namespace qv::server
