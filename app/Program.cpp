#include "app/Program.h"

#include "app/ClientSession.h"
#include "app/ProgramSetup.h"
#include "crash/CrashReporter.h"
#include "crash/CrashboxDialog.h"
#include "framework/gui/Application.h"

#include <memory>

namespace qv::app {

int RunProgram(int& argc, char** argv, const std::function<void(TClientSession&)>& started) {
    // The reporter comes first, so that a failure anywhere after this point reaches it.
    crash::Install();
    crash::TCrashReporter::Instance().SetDialog(std::make_unique<crash::TCrashboxDialog>());
    framework::TApplication app(argc, argv);
    framework::TApplication::SetExceptionHandler(
        [](std::exception_ptr error) { crash::HandleException(error); });
    SetUpProgram();
    TClientSession session;
    if (started) started(session);
    return QApplication::exec();
}

} // namespace qv::app
