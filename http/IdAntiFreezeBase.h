#pragma once

#include "http/IdBaseComponent.h"

namespace qv::http {

// Keeps a GUI alive during blocking waits: a subclass pumps the GUI's messages in Process.
// The instance created last is the registered one.
class TIdAntiFreezeBase : public TIdBaseComponent {
public:
    explicit TIdAntiFreezeBase(framework::TComponent* owner = nullptr);
    ~TIdAntiFreezeBase() override;

    bool Active = true;
    bool ApplicationHasPriority = true;
    int IdleTimeOut = 250;
    bool OnlyWhenIdle = true;

    virtual void Process() = 0;

    // The class-wide hook, run after each wait for readability (idle: nothing came) and each send.
    static void DoProcess(bool idle);
    // True when a registered instance is active; waits without limit are then cut into IdleTimeOut pieces.
    static bool ShouldUse();
};

extern TIdAntiFreezeBase* GActiveAntiFreeze;

} // namespace qv::http
