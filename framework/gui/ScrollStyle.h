#pragma once

namespace qv::framework {

// Which scroll bars a control shows.
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

} // namespace qv::framework
