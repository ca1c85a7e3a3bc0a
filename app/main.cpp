// quorvane: the desktop client of the tender service. Takes no arguments and reads no
// configuration file; QUORVANE_SERVICE_HOST names another service host.

#include "app/ClientSession.h"
#include "app/ProgramSetup.h"
#include "framework/Application.h"

int main(int argc, char** argv) {
    qv::framework::TApplication app(argc, argv);
    qv::app::SetUpProgram();
    qv::app::TClientSession session;
    return QApplication::exec();
}
