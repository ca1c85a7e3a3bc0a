#pragma once

#include "crash/ExceptionDialog.h"

namespace qv::crash {

// The exception dialog of a console program, or of one without a display: the message on one
// line and, when the dialog would offer the report, an empty line and the report, on the
// standard output. It decides nothing: the automatic action follows.
class TConsoleDialog : public TExceptionDialog {
public:
    explicit TConsoleDialog(int output = 1) : output_(output) {}

    std::optional<TAction> Show(const TDialogRequest& request, const CrashSettings& settings) override;
    static std::string Text(const TDialogRequest& request, const CrashSettings& settings);

private:
    int output_;
};

} // namespace qv::crash
