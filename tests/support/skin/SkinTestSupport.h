#pragma once

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>

namespace qv::skin::test {

// A picture of the given size whose pixels follow from the seed.
QImage PatternImage(int width, int height, uint32_t seed);

// A bottom-up 24-bit Windows BMP file of the picture.
std::string EncodeBmp24(const QImage& image);

// zlib's own inflate of a raw deflate stream, to compare against.
std::string ZlibInflateRaw(const std::string& deflated);

// Compressible bytes with text, runs, repeats at long distances and random stretches.
std::string MixedData(size_t size, uint32_t seed);

// Builds a deflate stream bit by bit, least significant bit first as deflate packs them.
class TBitWriter {
public:
    void Put(uint32_t value, unsigned bitCount);
    // A prefix code, whose bits go most significant first.
    void PutCode(uint32_t code, unsigned length);
    std::string Bytes() const;

private:
    std::string bytes_;
    unsigned used_ = 8;
};

// A private temporary folder, removed with all its content at the end; TMPDIR names it meanwhile,
// so that everything the code under test puts into the temporary folder lands here, and is
// noticed even when it is removed again at once.
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::string& Path() const { return folder_.Path(); }
    // Writes a file in a subfolder that the code under test doesn't use; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // Number of files and folders created directly in the folder since it was made, whether they
    // are still there or not; the input subfolder and what Write puts into it are not counted.
    int CreatedEntries() const;

private:
    qv::test::ScopedTempFolder folder_;
    qv::test::ScopedEnvironment tmpdir_;
    int watch_ = -1;
    mutable int created_ = 0;
};

// Runs the action on many corrupted copies of the bytes (flipped bits, overwritten ranges,
// truncations, copied ranges), all drawn from a fixed seed.
void ForEachCorruption(const std::string& bytes, int count, uint32_t seed,
                       const std::function<void(const std::string&)>& action);

} // namespace qv::skin::test
