#pragma once

#include "framework/Stream.h"
#include "skin/archive/PkCipher.h"

namespace qv::skin {

// A read-only view of the rest of a source stream, deciphered as it is read. Deciphering on the
// way keeps memory constant however long the enciphered part of an archive is.
class TDecryptingStream : public framework::TStream {
public:
    TDecryptingStream(framework::TStream& source, const TPkCipher& cipher);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override;
    void SetSize(int64_t size) override;

private:
    framework::TStream& source_;
    TPkCipher cipher_;
    int64_t start_;
};

} // namespace qv::skin
