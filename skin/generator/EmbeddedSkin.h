#pragma once

#include <string>

namespace qv::skin::generator {

// The skin data the program carries: 28 bitmaps, 43 integers and 9 flags in the order of the
// skin format's list, ending in the terminator record.
std::string EmbeddedSkinData();

} // namespace qv::skin::generator
