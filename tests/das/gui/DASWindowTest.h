#pragma once
// The set-up shared by the DAS window tests: a connected instrument with two channels, the
// events and data points of three levels.

#include "base/Strings.h"
#include "das/DASTestUtil.h"
#include "das/gui/DASConfigDialog.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

struct DASWindowTest : ::testing::Test {
    void SetUp() override {
        EnsureGuiTestApp();
        dastest::FillInstrument(inst);
        inst.SetName("Monitor 1");
        inst.SetSerialNumber("0042");
        inst.SetCapabilities(CAP_DAS | CAP_NEW_DAS | CAP_DAS_EVENT_PARAM);
        inst.SetConnected(true);
        inst.DasEvents().AddTail(new CDASEvent("HIGHEV", 3, false, KW_HIGH));
        inst.DasPoints().AddTail(new CDASPoint("O3", 8, "Ozone", KW_MED));
        inst.DasPoints().AddTail(new CDASPoint("SECRET", 9, "Factory", KW_HIGH));
        CDASConfigDialog::SetSettings({[this] { return useCheckboxes; }, {}, {}});
    }
    void TearDown() override {
        CDASConfigDialog::SetSettings({});
        CDASChannel::SetEditor(nullptr);
        inst.SetConnected(false);
    }
    // A shown DAS window with its first sync handled.
    std::unique_ptr<CDASConfigDialog> Open() {
        auto dlg = std::make_unique<CDASConfigDialog>(inst);
        dlg->show();
        QApplication::processEvents();
        return dlg;
    }
    CDASChannel* Channel(size_t i) { return static_cast<CDASChannel*>(inst.DasChannels().At(i)); }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& q : app.prompt.asked)
            texts.push_back(q.text);
        return texts;
    }
    TestApp app;
    CInstrumentConnection inst;
    CSelectionSet sel;
    bool useCheckboxes = true;
};
