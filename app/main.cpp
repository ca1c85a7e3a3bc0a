// quorvane: the desktop client of the tender service. Takes no arguments and reads no
// configuration file; QUORVANE_SERVICE_HOST names another service host.

#include "app/ClientSession.h"
#include "app/ProgramSetup.h"
#include "crash/CrashReporter.h"
#include "crash/CrashboxDialog.h"
#include "framework/Application.h"

#include <memory>

int main(int argc, char** argv) {
    // The reporter comes first, so that a failure anywhere after this point reaches it.
    qv::crash::Install();
    qv::crash::TCrashReporter::Instance().SetDialog(std::make_unique<qv::crash::TCrashboxDialog>());
    qv::framework::TApplication app(argc, argv);
    qv::framework::TApplication::SetExceptionHandler(
        [](std::exception_ptr error) { qv::crash::HandleException(error); });
    qv::app::SetUpProgram();
    qv::app::TClientSession session;
    return QApplication::exec();
}
