#pragma once

namespace qv::skin {

// The rows of the whole-window title picture above a title bar on a form panel, which the panel
// paints as the top of its frame.
inline constexpr int kFrameTopStrip = 3;

// What a title bar asks of the skinned form panel it sits on; the form answers with the left
// inset of its painted frame, and the bar then extends its title picture over that frame.
class TsuiTitleBarHost {
public:
    virtual ~TsuiTitleBarHost() = default;
    virtual int TitleBarInset() const = 0;
};

} // namespace qv::skin
