#pragma once

#include "framework/Stream.h"
#include "skin/archive/HuffmanTree.h"
#include "skin/archive/InflateInput.h"
#include "skin/archive/InflateWindow.h"

#include <cstdint>

namespace qv::skin {

// Decodes a raw deflate stream (stored, fixed and dynamic blocks) from the source stream's
// position into the output stream. Malformed or truncated data raises EInflateError, as does
// output beyond maxOutput bytes, which bounds what a small hostile input can make us write.
class TInflater {
public:
    TInflater(framework::TStream& source, framework::TStream& output, int64_t maxOutput);

    // Decodes up to and including the final block, then writes out the rest of the window.
    void Run();

private:
    void CopyStoredBlock();
    void ReadDynamicTrees();
    void ReadCodeLengths(unsigned total, uint8_t* lengths);
    void DecodeBlock(const THuffmanTree& literals, const THuffmanTree& distances);
    // Decodes straight from the input buffer into the window while the buffer holds the bits of
    // two whole matches and the window has room; true at the end of the block.
    bool DecodeFromBuffer(const THuffmanTree& literals, const THuffmanTree& distances);
    // The careful path near the buffer's end and the window's flush; true at the end of the block.
    bool DecodeOneSymbol(const THuffmanTree& literals, const THuffmanTree& distances);

    TInflateInput input_;
    TInflateWindow window_;
    THuffmanTree codeLengths_;
    THuffmanTree literals_;
    THuffmanTree distances_;
};

} // namespace qv::skin
