#include "http/IdAntiFreezeBase.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace qv::http {

TIdAntiFreezeBase* GActiveAntiFreeze = nullptr;

namespace {
// The program's main thread is the one whose thread id is the process id.
bool OnMainThread() {
    return ::syscall(SYS_gettid) == ::getpid();
}
} // namespace

TIdAntiFreezeBase::TIdAntiFreezeBase(framework::TComponent* owner) : TIdBaseComponent(owner) {
    GActiveAntiFreeze = this;
}

TIdAntiFreezeBase::~TIdAntiFreezeBase() {
    if (GActiveAntiFreeze == this) GActiveAntiFreeze = nullptr;
}

void TIdAntiFreezeBase::DoProcess(bool idle) {
    TIdAntiFreezeBase* instance = GActiveAntiFreeze;
    if (!instance || !OnMainThread()) return;
    if (instance->Active && (idle || !instance->OnlyWhenIdle)) instance->Process();
}

bool TIdAntiFreezeBase::ShouldUse() {
    return GActiveAntiFreeze && GActiveAntiFreeze->Active && OnMainThread();
}

} // namespace qv::http
