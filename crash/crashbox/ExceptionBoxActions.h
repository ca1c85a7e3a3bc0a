#pragma once

#include "crash/ApplicationActions.h"
#include "crash/delivery/ReportMail.h"

#include <optional>
#include <string>

namespace qv::crash {

// What the exception dialog asks of the program it reports on: the action listeners run, the
// mail and the save go out, and the choice is carried out there.
class TExceptionBoxActions {
public:
    virtual ~TExceptionBoxActions() = default;
    // True when an action listener carried the action out itself.
    virtual bool Handled(TAction action) = 0;
    virtual TReportMail::TOutcome Mail() = 0;
    virtual bool Save(const std::string& path) = 0;
    // Once, when the dialog goes: the action chosen, or nothing.
    virtual void Chosen(std::optional<TAction> action) = 0;
};

} // namespace qv::crash
