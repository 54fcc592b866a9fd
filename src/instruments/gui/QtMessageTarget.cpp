#include "instruments/gui/QtMessageTarget.h"

#include <QMetaObject>
#include <QObject>
#include <mutex>

// The queued calls hold this by shared pointer, so a call that arrives after the target
// object itself has gone still finds the detached flag.
struct QtMessageTarget::Shared {
    std::mutex lock;
    QObject* receiver = nullptr; // null once detached
    Handler handler;
};

QtMessageTarget::QtMessageTarget(QObject* receiver, Handler handler)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->receiver = receiver;
    m_shared->handler = std::move(handler);
}

QtMessageTarget::~QtMessageTarget() {
    Detach();
}

void QtMessageTarget::Detach() {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    m_shared->receiver = nullptr;
}

bool QtMessageTarget::IsAttached() const {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return m_shared->receiver != nullptr;
}

void QtMessageTarget::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    QObject* receiver = m_shared->receiver;
    if (!receiver)
        return;
    // Queued on the receiver: Qt drops the call if the receiver is destroyed first, and the
    // detached check covers a window that has detached but not yet been destroyed. Posting
    // under the lock keeps Detach from completing while a post to the receiver is under way.
    std::weak_ptr<Shared> weak = m_shared;
    QMetaObject::invokeMethod(
        receiver,
        [weak, message, wParam, lParam] {
            std::shared_ptr<Shared> shared = weak.lock();
            if (!shared)
                return;
            Handler handler;
            {
                std::lock_guard<std::mutex> g(shared->lock);
                if (!shared->receiver)
                    return;
                handler = shared->handler;
            }
            if (handler)
                handler(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}
