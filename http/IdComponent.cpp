#include "http/IdComponent.h"

#include "framework/Format.h"
#include "http/IdResourceStrings.h"
#include "http/IdStack.h"

namespace qv::http {

namespace {
const char* StatusTemplate(TIdStatus status) {
    switch (status) {
    case stResolving:
        return RSStatusResolving;
    case stConnecting:
        return RSStatusConnecting;
    case stConnected:
        return RSStatusConnected;
    case stDisconnecting:
        return RSStatusDisconnecting;
    case stDisconnected:
        return RSStatusDisconnected;
    case stText:
        break;
    }
    return RSStatusText;
}
} // namespace

TIdComponent::TIdComponent(framework::TComponent* owner) : TIdBaseComponent(owner) {
    AcquireSocketStack();
}

TIdComponent::~TIdComponent() {
    ReleaseSocketStack();
}

void TIdComponent::StartWork(TWorkMode mode, int64_t maximum) {
    TIdWorkRecord& work = work_[mode];
    if (++work.Level != 1) return;
    work.Max = maximum;
    work.Count = 0;
    if (OnWorkBegin) OnWorkBegin(this, mode, maximum);
}

void TIdComponent::AddWork(TWorkMode mode, int64_t count) {
    TIdWorkRecord& work = work_[mode];
    if (work.Level < 1) return;
    work.Count += count;
    if (OnWork) OnWork(this, mode, work.Count);
}

void TIdComponent::FinishWork(TWorkMode mode) {
    TIdWorkRecord& work = work_[mode];
    if (work.Level < 1) return;
    if (work.Level == 1 && OnWorkEnd) OnWorkEnd(this, mode);
    --work.Level;
}

void TIdComponent::ReportStatus(TIdStatus status, const std::string& argument) {
    if (!OnStatus) return;
    OnStatus(this, status, framework::FormatMessage(StatusTemplate(status), argument));
}

} // namespace qv::http
