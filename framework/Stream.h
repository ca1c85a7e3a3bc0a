#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace qv::framework {

QV_EXCEPTION_CLASS(EStreamError, Exception);
QV_EXCEPTION_CLASS(EFOpenError, EStreamError);

// The framework's byte stream: a position and a size; reads and writes move the position.
class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Size() const = 0;
    virtual void SetSize(int64_t size) = 0;
    int64_t Position() const { return position_; }
    virtual void SetPosition(int64_t position) { position_ = position; }

protected:
    int64_t position_ = 0;
};

// A stream held in memory; writing past the end grows it.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    // A stream over the bytes, positioned at their start.
    explicit TMemoryStream(std::string data) : data_(std::move(data)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;
    const char* Memory() const { return data_.data(); }
    // The whole content as 8-bit text.
    std::string DataString() const { return data_; }
    // Hands the content over without a copy and leaves the stream empty.
    std::string ReleaseData();

private:
    std::string data_;
};

// A stream on a file, opened for reading (shared) or created for writing.
class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, Create };
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override;
    void SetSize(int64_t size) override;
    int Handle() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace qv::framework
