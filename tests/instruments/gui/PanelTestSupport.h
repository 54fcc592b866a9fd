#pragma once
// Shared by the front panel tests: one QApplication for the program, an application object
// with a recording prompt, and a way to let queued events run until something holds.

#include "support_lib/Fakes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <chrono>
#include <functional>
#include <thread>

namespace paneltest {

inline void EnsureQt() {
    static int argc = 1;
    static char arg0[] = "gasquill";
    static char* argv[] = {arg0, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit Qt's input devices (made by the simulated clicks) would go
    // after the statics they rely on.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Runs the event loop, deferred deletes included, until done() holds or a generous bound
// passes; the caller asserts on the result, never on the time taken.
inline bool PumpUntil(const std::function<bool()>& done, int boundMs = 20000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Lets everything already queued run.
inline void Pump() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace paneltest
