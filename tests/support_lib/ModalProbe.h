#pragma once
// Looks at the modal dialog a call is about to run, from inside its own event loop.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Runs look on the modal Dialog once its loop runs, then rejects it.
template <class Dialog> void ProbeModal(std::function<void(Dialog&)> look) {
    QTimer::singleShot(0, [look] {
        auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            ADD_FAILURE() << "not the modal dialog expected";
            return;
        }
        look(*dlg);
        dlg->reject();
    });
}
