#pragma once
// Shared by the front panel tests: one QApplication for the program, an application object
// with a recording prompt, and a way to let queued events run until something holds.

#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "app/gui/Demo.h"
#include "connections/gui/DialogTestSupport.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QInputDevice>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace paneltest {

// Qt's list of input devices is a global made on first use; the tests' static application
// object takes the simulated clicks' devices with it at exit, so the list must come first.
inline const bool kInputDevicesFirst = [] {
    (void)QInputDevice::devices();
    return true;
}();

inline void EnsureQt() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // One application object per test program, shared with the other dialog tests here.
    dialogtest::Qt();
}

// Starts the demo's simulated instruments and loads their network into app, as the program's
// --demo does, with the configuration file and front panel commands installed.
inline testing::AssertionResult LoadDemo(Demo& demo, CVANTIQApp& app) {
    CNetworkConfiguration::Install(app);
    CFrontPanelDialog::Install(app);
    std::string error;
    if (!demo.Start(error) || !demo.WriteConfiguration(app, error))
        return testing::AssertionFailure() << error;
    if (!CNetworkConfiguration::LoadSave(app, demo.ConfigurationPath(), false, true))
        return testing::AssertionFailure() << "the demo's network did not load";
    return testing::AssertionSuccess();
}

// Runs the event loop, deferred deletes included, until done() holds or a generous bound passes.
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
