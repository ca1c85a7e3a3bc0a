#pragma once

namespace qv::skin {

// What a title bar asks of the skinned form panel it sits on; the form answers with the left
// inset of its painted frame, and the bar then extends its title picture over that frame.
class TsuiTitleBarHost {
public:
    virtual ~TsuiTitleBarHost() = default;
    virtual int TitleBarInset() const = 0;
};

} // namespace qv::skin
