// quorvane-crashbox: the crash reporter's dialog program. The handler thread of a program in
// trouble starts it with a socket as its standard input and output, and talks with it there; it
// shows the progress of the report and the exception dialog, and ends with the user's choice.
#include "crash/crashbox/CrashboxSession.h"
#include "framework/gui/Fonts.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
    // A handler thread that went away must not end this program in the middle of a write.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qv::framework::InitializeFonts();
    qv::crash::TCrashboxSession session(0);
    return QApplication::exec();
}
