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
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    char* Memory() { return data_.data(); }
    const char* Memory() const { return data_.data(); }
    // Adds bytes at the end, whatever the position.
    void Append(const void* bytes, int64_t count);
    // Removes the first count bytes (at most all of them); the position moves back with the data.
    void Remove(int64_t count);
    void Clear() { SetSize(0); }
    // Hands the content over without copying it and leaves the buffer empty.
    std::string Release();

private:
    std::string data_;
};

} // namespace qv::http
