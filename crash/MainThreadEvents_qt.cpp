#include "crash/MainThreadEvents.h"

#include "crash/HiddenMessageWindow.h"
#include "crash/ThreadHolding.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <atomic>

namespace qv::crash {

namespace {

// Lives in the main thread; the event loop delivers its wake-up events there.
class TMainThreadReceiver : public QObject {
public:
    TMainThreadReceiver(THiddenMessageWindow& window, QEvent::Type type) : window_(window), type_(type) {}

    bool event(QEvent* event) override {
        if (event->type() != type_) return QObject::event(event);
        window_.Dispatch();
        TThreadHolding::Instance().WaitWhileHeld();
        return true;
    }

private:
    THiddenMessageWindow& window_;
    QEvent::Type type_;
};

std::atomic<TMainThreadReceiver*> gReceiver{nullptr};
QEvent::Type gWakeType = QEvent::None;

} // namespace

void TMainThreadEvents::Install(THiddenMessageWindow& window) {
    if (gReceiver.load() != nullptr) return;
    gWakeType = static_cast<QEvent::Type>(QEvent::registerEventType());
    // Kept for the process: the reporter may wake the main thread up to its last moment.
    gReceiver.store(new TMainThreadReceiver(window, gWakeType));
}

void TMainThreadEvents::Wake() {
    TMainThreadReceiver* receiver = gReceiver.load();
    if (receiver != nullptr && QCoreApplication::instance() != nullptr)
        QCoreApplication::postEvent(receiver, new QEvent(gWakeType));
}

bool TMainThreadEvents::CanPump() {
    const QCoreApplication* application = QCoreApplication::instance();
    return gReceiver.load() != nullptr && application != nullptr &&
           QThread::currentThread() == application->thread();
}

void TMainThreadEvents::PumpUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

} // namespace qv::crash
