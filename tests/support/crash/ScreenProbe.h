#pragma once

#include <cstdint>

struct xcb_connection_t;

namespace qv::crash::test {

// Looks at the display of $DISPLAY from outside the program under test, through a connection of
// its own, as the X server and a window manager see that program's windows.
class TScreenProbe {
public:
    struct TArea {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    TScreenProbe();
    ~TScreenProbe();
    TScreenProbe(const TScreenProbe&) = delete;
    TScreenProbe& operator=(const TScreenProbe&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    // The colour of the screen at the point, 0xRRGGBB.
    uint32_t ScreenPixel(int x, int y);
    // The window's place on the screen.
    TArea WindowArea(uint32_t window);
    // Maps a window of the colour over the area, which the server paints at once; Uncover() takes
    // it away, and the windows under it get an expose.
    void Cover(const TArea& area, uint32_t colour);
    void Uncover();
    // Sends the window manager's ping (_NET_WM_PING) to the window; whether its answer to the root
    // window came within the time.
    bool Ping(uint32_t window, int timeoutMs);
    // Makes this connection the clipboard's owner, as a program does when the user copies there.
    void TakeClipboard();

private:
    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint32_t cover_ = 0;
    uint32_t clipboardOwner_ = 0;

    uint32_t Atom(const char* name);
    // Waits until the server has done every request sent so far.
    void Sync();
};

} // namespace qv::crash::test
