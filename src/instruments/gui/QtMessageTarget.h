#pragma once
// Posted messages for a Qt window: Post may be called from any thread (the site workers post
// the display and identification notices) and queues the message as an event on the
// receiver's thread, where the handler runs. Once detached, or once the receiver is gone,
// messages are dropped, never delivered to a window that no longer exists.

#include "base/MessageTarget.h"

#include <functional>
#include <memory>

class QObject;

class QtMessageTarget : public MessageTarget {
public:
    using Handler = std::function<void(unsigned message, uintptr_t wParam, intptr_t lParam)>;

    QtMessageTarget(QObject* receiver, Handler handler);
    ~QtMessageTarget() override;
    QtMessageTarget(const QtMessageTarget&) = delete;
    QtMessageTarget& operator=(const QtMessageTarget&) = delete;

    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    // Stops delivery: later posts, and those queued but not yet handled, are dropped. The
    // owning window calls it before it starts to go away.
    void Detach();
    bool IsAttached() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
