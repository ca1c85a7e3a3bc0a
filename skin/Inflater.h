#pragma once

#include "framework/Stream.h"
#include "skin/HuffmanTree.h"
#include "skin/InflateInput.h"
#include "skin/InflateWindow.h"

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

    TInflateInput input_;
    TInflateWindow window_;
    THuffmanTree codeLengths_;
    THuffmanTree literals_;
    THuffmanTree distances_;
};

} // namespace qv::skin
