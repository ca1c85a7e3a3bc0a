#pragma once

#include "http/IdBaseComponent.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qv::http {

enum TIdStatus { stResolving, stConnecting, stConnected, stDisconnecting, stDisconnected, stText };
enum TWorkMode { wkRead, wkWrite };

using TNotifyEvent = std::function<void(framework::TComponent* Sender)>;
using TIdStatusEvent =
    std::function<void(framework::TComponent* axSender, TIdStatus axStatus, const std::string& asStatusText)>;
using TWorkBeginEvent =
    std::function<void(framework::TComponent* Sender, TWorkMode AWorkMode, int64_t AWorkCountMax)>;
using TWorkEvent =
    std::function<void(framework::TComponent* Sender, TWorkMode AWorkMode, int64_t AWorkCount)>;
using TWorkEndEvent = std::function<void(framework::TComponent* Sender, TWorkMode AWorkMode)>;

// Progress of one direction. The totals are 64-bit so that bodies beyond 2 GB cannot overflow them.
struct TIdWorkRecord {
    int Level = 0;
    int64_t Max = 0;
    int64_t Count = 0;
};

// A networking component: keeps the socket stack alive and reports status texts and
// read and write progress through its events, on the calling thread.
class TIdComponent : public TIdBaseComponent {
public:
    explicit TIdComponent(framework::TComponent* owner = nullptr);
    ~TIdComponent() override;

    TIdStatusEvent OnStatus;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

    // Nested runs report one begin and one end; progress outside a run is not reported.
    virtual void StartWork(TWorkMode mode, int64_t maximum);
    virtual void AddWork(TWorkMode mode, int64_t count);
    virtual void FinishWork(TWorkMode mode);
    // Runs the action framed by StartWork and FinishWork; the run also ends when the action throws.
    template <class Action>
    void DoWork(TWorkMode mode, int64_t maximum, Action&& action) {
        StartWork(mode, maximum);
        try {
            action();
        } catch (...) {
            FinishWork(mode);
            throw;
        }
        FinishWork(mode);
    }

    // Formats the status's text with the argument and raises OnStatus.
    void ReportStatus(TIdStatus status, const std::string& argument = std::string());

private:
    TIdWorkRecord work_[2];
};

} // namespace qv::http
