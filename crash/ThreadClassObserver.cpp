#include "crash/ThreadClassObserver.h"

#include "crash/FaultSignals.h"
#include "crash/ThreadHolding.h"
#include "crash/ThreadRegistry.h"

namespace qv::crash {

void TThreadClassObserver::ThreadStarting(platform::TThread& thread) {
    TThreadRegistry::Instance().UpdateThreadEntry(thread.ThreadId(), {}, thread.CreatorThreadId(),
                                                  thread.CreatorAddress(), thread.ClassName());
    TFaultSignals::GiveAlternateStack();
}

void TThreadClassObserver::ThreadEnding(platform::TThread& thread) {
    TFaultSignals::TakeAlternateStack();
    TThreadRegistry::Instance().RemoveThread(thread.ThreadId());
}

void TThreadClassObserver::MessagesRetrieved(platform::TThread&) {
    TThreadHolding::Instance().WaitWhileHeld();
}

} // namespace qv::crash
