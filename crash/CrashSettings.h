#pragma once

#include "crash/delivery/DeliverySettings.h"
#include "crash/tracer/Disassembler.h"
#include "crash/tracer/StackOptions.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qv::crash {

// The crash reporter's settings, fixed in the program: there is no settings file. ThisBuild()
// gives this program's values. Texts may hold "%appname%" (the program's file name),
// "%exceptMsg%" (the exception's message) and "%LF%" (a line break) where their comments say so.
struct CrashSettings {
    // Interception and handling.
    bool reporterEnabled = true;
    // Install the routes by which exceptions arrive; both this and reporterEnabled must be set.
    bool hookRuntime = true;
    // 0 or less: no freeze watchdog.
    int32_t freezeTimeoutMs = 0;
    bool showDialog = true;
    // Hold the application's other threads while an event is handled.
    bool pauseOtherThreads = true;
    bool saveWithoutAsking = false;
    bool mailWithoutAsking = false;
    // 0 never, 1 always, N > 1: when ten events fell within N seconds.
    int32_t autoRestartRule = 0;
    int32_t autoCloseRule = 0;
    // Comma-separated class names for which no report is composed.
    std::string ignoredClasses;
    // The screenshot's size class limit; 0: no screenshot.
    int32_t screenshotLimit = 0;
    // Gives a screenshot (PNG data) for a size class from 1 to 5, or 0 for the default.
    std::function<std::string(int sizeClass)> screenshotProvider;
    // Reload the default floating-point environment after an event was handled.
    bool resetFpuAfterHandling = false;
    // Set in a web-server extension: the report goes back to the caller instead of being shown.
    const void* webExtensionEntry = nullptr;
    // In a console program, or one without a display, write the message and the report to the
    // standard output instead of showing the dialog, and take the automatic action.
    bool consoleOutput = true;

    // The report.
    bool listAllThreads = true;
    bool listModules = true;
    bool listHardware = true;
    bool showCommandLine = true;
    // When set and not empty, the "version" line instead of the module's version.
    const std::string* versionText = nullptr;
    // Gives the "disassembling:" section; none: no such section.
    std::function<std::string(uintptr_t address, const TDisasmOptions& options)> disassembler;
    TDisasmOptions disasmOptions;
    TStackOptions stackOptions;
    std::string frozenMessage = "The application seems to be frozen.";

    // The dialog; an empty caption means that the button is not there.
    std::string titleText = "%appname%";
    // May hold "%exceptMsg%" and "%LF%".
    std::string errorMessage = "An error occurred in the application.";
    std::string captionMail = "mail bug report";
    std::string captionSave;
    std::string captionPrint;
    std::string captionShow = "show bug report";
    std::string captionContinue = "continue application";
    std::string captionRestart = "restart application";
    std::string captionClose = "close application";
    bool showReportAtOnce = false;
    bool copyReportToClipboard = true;
    bool autoContinue = false;
    int32_t autoActionDelaySec = 60;
    bool drawnButtons = true;

    // The mail and the report file.
    DeliverySettings delivery;

    // This program's settings.
    static CrashSettings ThisBuild();
};

} // namespace qv::crash
