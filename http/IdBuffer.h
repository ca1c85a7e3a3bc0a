#pragma once

#include "framework/Stream.h"

#include <string>

namespace qv::http {

// A growable in-memory byte stream with size and position, which can also give up
// bytes from its front (the rest moves to the front).
class TIdBuffer : public framework::TStream {
public:
    explicit TIdBuffer(int64_t size = 0);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size() - start_); }
    void SetSize(int64_t size) override;

    char* Memory() { return data_.data() + start_; }
    const char* Memory() const { return data_.data() + start_; }
    // Adds bytes at the end, whatever the position.
    void Append(const void* bytes, int64_t count);
    // Removes the first count bytes (at most all of them); the position moves back with the data.
    void Remove(int64_t count);
    void Clear() { SetSize(0); }
    // Hands the content over without copying it and leaves the buffer empty.
    std::string Release();

private:
    // Moves the content to the front of the storage.
    void Compact();

    std::string data_;
    // Bytes removed from the front but not yet moved over: a reader taking one line after
    // another would otherwise move the whole rest of the buffer for every line.
    size_t start_ = 0;
};

} // namespace qv::http
