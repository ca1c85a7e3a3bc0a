#pragma once

namespace qv::crash {

// The stack formatter's options (all off in this build).
struct TStackOptions {
    bool showOffset = false;
    bool relativeLines = false;
    bool onlyWithLines = false;
    bool skipLinkChains = false;
};

} // namespace qv::crash
