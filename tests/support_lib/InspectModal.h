#pragma once
// Looks at the modal dialog a call is about to run, from inside its own event loop.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Runs inspect on the modal Dialog once its loop runs, then rejects it.
template <class Dialog> void InspectModal(std::function<void(Dialog&)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            ADD_FAILURE() << "not the modal dialog expected";
            return;
        }
        inspect(*dlg);
        dlg->reject();
    });
}
