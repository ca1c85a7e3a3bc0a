#pragma once

#include "skin/archive/InflateInput.h"

#include <cstddef>
#include <cstdint>

namespace qv::skin {

// Decoding of raw deflate streams (stored, fixed and dynamic blocks), from the input's position
// up to and including the final block. Malformed or truncated data raises EInflateError, as does
// output beyond the bound that the caller gives, which keeps a small hostile input from making
// us write without limit.

// Decodes straight into the caller's buffer of capacity bytes, the fastest way when the size is
// known beforehand; returns the number of bytes decoded. Never writes past the capacity.
size_t InflateToBuffer(TInflateInput& input, uint8_t* target, size_t capacity);

} // namespace qv::skin
