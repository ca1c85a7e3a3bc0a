#pragma once

#include "platform/Thread.h"

namespace qv::crash {

// The reporter's part in every thread of the program's thread class: the thread is registered
// with its class and creator and gets an alternate signal stack while it runs, and it waits at its
// message retrieval while the application's threads are held.
class TThreadClassObserver : public platform::TThreadObserver {
public:
    void ThreadStarting(platform::TThread& thread) override;
    void ThreadEnding(platform::TThread& thread) override;
    void MessagesRetrieved(platform::TThread& thread) override;
};

} // namespace qv::crash
