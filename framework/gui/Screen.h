#pragma once

namespace qv::framework {

enum class TCursor { crDefault, crHourGlass };

// The screen's cursor: one application-wide override, set and reset like a property (a second
// busy setting does not stack on the first).
class TScreen {
public:
    static TCursor Cursor();
    static void SetCursor(TCursor cursor);
};

// Shows the busy cursor for its lifetime and brings back the default one when it ends, also when
// an exception ends the work it covers.
class TBusyCursor {
public:
    TBusyCursor() { TScreen::SetCursor(TCursor::crHourGlass); }
    ~TBusyCursor() { TScreen::SetCursor(TCursor::crDefault); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace qv::framework
