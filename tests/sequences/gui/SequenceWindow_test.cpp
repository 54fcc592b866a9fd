// The sequence configuration window and its dialogs, offscreen: the greying rules at the
// limits, where new steps go, moves at the ends, the close rules, the sequence dialog's
// validation, the step type list by capability, and pictures of each window.

#include "../SeqFixtures.h"
#include "base/Strings.h"
#include "connections/gui/DialogTestSupport.h"
#include "instruments/Capabilities.h"
#include "sequences/SequenceTransfer.h"
#include "sequences/gui/SequenceConfigDialog.h"
#include "sequences/gui/SequencePropertiesDialog.h"
#include "sequences/gui/StepCCOutputDialog.h"
#include "sequences/gui/StepDurationDialog.h"
#include "sequences/gui/StepExecSeqDialog.h"
#include "sequences/gui/StepGPTDialog.h"
#include "sequences/gui/StepGenerateDialog.h"
#include "sequences/gui/StepLevelDialog.h"
#include "sequences/gui/StepManualDialog.h"
#include "sequences/gui/StepSelOutputDialog.h"
#include "sequences/gui/StepStatusBlockDialog.h"
#include "sequences/gui/StepTypeDialog.h"
#include "support_lib/GuiTestApp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QValidator>

namespace {

// Runs the event loop until done() holds or a generous bound passes.
bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

using W = CSequenceConfigDialog;

class SequenceWindowTest : public seq_test::SeqTest {
protected:
    void SetUp() override { EnsureGuiTestApp(); }

    // A sequence with n purge steps.
    CSequence* WithSteps(const std::string& name, size_t n) {
        CSequence* seq = AddSequence(name);
        for (size_t i = 0; i < n; ++i)
            seq->AddStep(new CStepPurge);
        return seq;
    }
    static void Shoot(QWidget& w, const std::string& name) {
        const QString dir = QStringLiteral(GASQUILL_BIN_DIR "/shots");
        QDir().mkpath(dir);
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(dir + "/" + QString::fromStdString(name) + ".png")) << name;
    }
    static bool Enabled(QMenu& menu, unsigned id) {
        for (QAction* a : menu.actions())
            if (a->data().toUInt() == id)
                return a->isEnabled();
        ADD_FAILURE() << "no menu item " << id;
        return false;
    }
};

TEST_F(SequenceWindowTest, SequenceAndStepLimitsGreyTheAddCommands) {
    const struct {
        size_t sequences, steps;
        bool canAddSeq, canAddStep;
    } rows[] = {
        {99, 3, true, true}, {100, 3, false, true}, {1, 99, true, true}, {1, 100, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.sequences << " sequences, " << row.steps << " steps");
        inst->Sequences().DeleteAll();
        WithSteps("S0", row.steps);
        for (size_t i = 1; i < row.sequences; ++i)
            AddSequence("S" + std::to_string(i));
        W w(*inst);
        w.show();
        QTreeWidgetItem* seqItem = w.Tree().topLevelItem(0);
        w.SelectItem(seqItem);
        w.UpdateControls();
        EXPECT_EQ(w.Button(W::IDC_NEW_SEQ)->isEnabled(), row.canAddSeq);
        EXPECT_EQ(w.Button(W::IDC_DUPLICATE)->isEnabled(), row.canAddSeq);
        EXPECT_EQ(w.Button(W::IDC_NEW_STEP)->isEnabled(), row.canAddStep);
        auto seqMenu = w.BuildContextMenu(seqItem);
        EXPECT_EQ(Enabled(*seqMenu, W::ID_NEW_SEQUENCE), row.canAddSeq);
        EXPECT_EQ(Enabled(*seqMenu, W::ID_DUPLICATE_SEQUENCE), row.canAddSeq);
        auto stepMenu = w.BuildContextMenu(seqItem->child(1));
        for (unsigned id = W::ID_NEW_GPT; id <= W::ID_NEW_CC_OUTPUT; ++id)
            EXPECT_EQ(Enabled(*stepMenu, id), row.canAddStep) << id;
        EXPECT_EQ(Enabled(*stepMenu, W::ID_DUPLICATE_STEP), row.canAddStep);
        // A step command at the limit adds nothing.
        const size_t before = seqItem->childCount();
        w.OnCommand(W::ID_NEW_PURGE);
        EXPECT_EQ(static_cast<size_t>(seqItem->childCount()), before + (row.canAddStep ? 1 : 0));
    }
}

TEST_F(SequenceWindowTest, OnlyStepsWithParametersCanBeEdited) {
    CSequence* seq = AddSequence("CAL");
    seq->AddStep(new CStepPurge);
    seq->AddStep(new CStepStandby);
    seq->AddStep(new CStepDelay);
    inst->SetCapabilities(CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_LEVEL);
    W w(*inst);
    w.show();
    const bool editable[] = {false, false, true};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        QTreeWidgetItem* item = w.Tree().topLevelItem(0)->child(i);
        w.SelectItem(item);
        w.UpdateControls();
        EXPECT_EQ(w.Button(W::IDC_EDIT)->isEnabled(), editable[i]);
        auto menu = w.BuildContextMenu(item);
        EXPECT_EQ(Enabled(*menu, W::ID_EDIT_STEP), editable[i]);
        EXPECT_TRUE(Enabled(*menu, W::ID_NEW_LEVEL));
    }
}

TEST_F(SequenceWindowTest, NewStepGoesToTheEndAndMovesStopAtTheEnds) {
    CSequence* seq = WithSteps("CAL", 3);
    W w(*inst);
    w.show();
    QTreeWidgetItem* seqItem = w.Tree().topLevelItem(0);
    w.SelectItem(seqItem->child(1));
    w.OnCommand(W::ID_NEW_STANDBY);
    ASSERT_EQ(seq->Steps().GetCount(), 4u);
    EXPECT_NE(dynamic_cast<CStepStandby*>(seq->Steps().At(3)), nullptr);
    EXPECT_EQ(w.Tree().currentItem(), seqItem->child(3));
    EXPECT_TRUE(inst->GetSequencesModified());

    // The last item cannot go down, the first cannot go up.
    EXPECT_FALSE(w.Button(W::IDC_MOVE_DOWN)->isEnabled());
    EXPECT_TRUE(w.Button(W::IDC_MOVE_UP)->isEnabled());
    w.OnCommand(W::IDC_MOVE_UP);
    EXPECT_NE(dynamic_cast<CStepStandby*>(seq->Steps().At(2)), nullptr);
    EXPECT_EQ(w.Tree().currentItem(), seqItem->child(2));
    w.SelectItem(seqItem->child(0));
    w.UpdateControls();
    EXPECT_FALSE(w.Button(W::IDC_MOVE_UP)->isEnabled());
    CNamedObject* first = seq->Steps().At(0);
    w.OnCommand(W::IDC_MOVE_UP);
    EXPECT_EQ(seq->Steps().At(0), first);
}

TEST_F(SequenceWindowTest, DuplicateAndDeleteKeepTreeAndModelTogether) {
    WithSteps("CAL", 2);
    app->SetConfirmDeletes(false);
    W w(*inst);
    w.show();
    w.SelectItem(w.Tree().topLevelItem(0));
    w.OnCommand(W::IDC_DUPLICATE);
    ASSERT_EQ(inst->Sequences().GetCount(), 2u);
    EXPECT_EQ(inst->Sequences().At(1)->GetName(), "Copy of CAL");
    EXPECT_EQ(w.Tree().topLevelItem(1)->childCount(), 2);
    w.SelectItem(w.Tree().topLevelItem(0)->child(0));
    w.OnCommand(W::IDC_DELETE);
    EXPECT_EQ(static_cast<CSequence*>(inst->Sequences().At(0))->Steps().GetCount(), 1u);
    EXPECT_EQ(w.Tree().topLevelItem(0)->childCount(), 1);
    // With the option on, "No" keeps the sequence.
    app->SetConfirmDeletes(true);
    app.prompt.Answer(PromptResult::No);
    w.SelectItem(w.Tree().topLevelItem(1));
    w.OnCommand(W::IDC_DELETE);
    EXPECT_EQ(inst->Sequences().GetCount(), 2u);
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors().back().rfind("Delete \"", 0), 0u);
}

TEST_F(SequenceWindowTest, CloseAsksOnlyWhenConnectedWithUnsentChanges) {
    const struct {
        bool connected, modified;
        PromptResult answer;
        bool asks, closes;
    } rows[] = {{false, true, PromptResult::No, false, true},
                {true, false, PromptResult::No, false, true},
                {true, true, PromptResult::No, true, false},
                {true, true, PromptResult::Yes, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "connected " << row.connected << ", modified " << row.modified);
        app.prompt.asked.clear();
        inst->SetConnected(row.connected);
        inst->SetSequencesModified(row.modified);
        W w(*inst);
        w.show();
        if (row.asks)
            app.prompt.Answer(row.answer);
        w.OnCommand(W::IDC_CLOSE);
        EXPECT_EQ(!app.prompt.asked.empty(), row.asks);
        EXPECT_EQ(!w.isVisible(), row.closes);
        if (row.asks) {
            EXPECT_EQ(app.prompt.asked.back().text, LoadString(61287));
        }
    }
    inst->SetConnected(false);
}

TEST_F(SequenceWindowTest, ResultMessagesEndTheExchangeWithTheirMessages) {
    const struct {
        unsigned message;
        const char* shown; // empty: no message box
    } rows[] = {{MSG_SEQ_SEND_DONE, "Sequence configuration successfully sent to instrument."},
                {MSG_SEQ_SEND_FAILED, "Error occurred while sending sequence configuration"},
                {MSG_SEQ_FETCH_FAILED, ""},
                {MSG_SEQ_FETCH_DONE, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        app.prompt.asked.clear();
        W w(*inst);
        w.show();
        w.StatusText().setText(QStringLiteral("busy"));
        w.OnMessage(MSG_SEQ_PROGRESS_RANGE, 5, 0);
        w.OnMessage(MSG_SEQ_PROGRESS_STEP, 0, 0);
        EXPECT_EQ(w.Progress().value(), 1);
        w.OnMessage(row.message, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return w.StatusText().text().isEmpty(); }));
        EXPECT_EQ(w.Progress().value(), 0);
        if (*row.shown) {
            ASSERT_EQ(app.prompt.asked.size(), 1u);
            EXPECT_EQ(app.prompt.asked[0].text.rfind(row.shown, 0), 0u);
        } else {
            EXPECT_TRUE(app.prompt.asked.empty());
        }
    }
}

TEST_F(SequenceWindowTest, SequenceNamesMustBeValidAndUnique) {
    AddSequence("NONE");
    const struct {
        const char* name;
        const char* days;
        unsigned message; // 0: accepted
    } rows[] = {{"NONE", "1", 61272},  {"none", "1", 61272},  {"", "1", 61272},
                {"CAL 1", "1", 61272}, {"CAL_1", "0", 61273}, {"CAL_1", "1", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.prompt.asked.clear();
        CSequence seq(inst, "NONE");
        CSequencePropertiesDialog dlg(seq, *inst);
        dlg.Name().setText(QString::fromLatin1(row.name));
        dlg.Days().setText(QString::fromLatin1(row.days));
        dlg.Hours().setText(QStringLiteral("0"));
        dlg.Minutes().setText(QStringLiteral("0"));
        dlg.RunSeveral().setChecked(true);
        dlg.Count().setText(QStringLiteral("7"));
        dlg.accept();
        if (row.message) {
            ASSERT_EQ(app.prompt.asked.size(), 1u);
            EXPECT_EQ(app.prompt.asked[0].text, LoadString(row.message));
            EXPECT_EQ(seq.GetName(), "NONE");
        } else {
            EXPECT_TRUE(app.prompt.asked.empty());
            EXPECT_EQ(seq.GetName(), "CAL_1");
            EXPECT_EQ(seq.GetRepeatCount(), 7);
            EXPECT_EQ(seq.GetTimerPeriod().GetTotalSeconds(), 86400u);
        }
    }
}

TEST_F(SequenceWindowTest, StepTypesFollowTheCapabilities) {
    const struct {
        uint32_t caps;
        int entries;
        const char* last;
    } rows[] = {{0, 8, "Execute Sequence"},
                {CAP_OUTPUT_SELECT_STEPS, 10, "Set CC Outputs"},
                {CAP_OUTPUT_SELECT_STEPS | CAP_CAL_LEVEL, 12, "Set Status Blocks"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caps);
        CStepTypeDialog dlg(row.caps);
        ASSERT_EQ(dlg.List().count(), row.entries);
        EXPECT_EQ(dlg.List().itemText(row.entries - 1).toStdString(), row.last);
        dlg.List().setCurrentIndex(row.entries - 1);
        std::unique_ptr<CStep> step(W::CreateStepFor(dlg.ChosenCommand()));
        ASSERT_NE(step, nullptr);
    }
}

TEST_F(SequenceWindowTest, StepDialogsRefuseOutOfRangeValues) {
    // Each dialog is checked at both edges of its range and just outside.
    const struct {
        const char* text;
        bool accepted;
    } minutes[] = {{"0.1", true}, {"120", true}, {"0.05", false}, {"120.5", false}, {"x", false}},
      levels[] = {{"10", true}, {"99", true}, {"9", false}, {"100", false}};
    for (const auto& row : minutes) {
        SCOPED_TRACE(row.text);
        CStepDelay step;
        CStepDurationDialog dlg(step);
        dlg.Minutes().setText(QString::fromLatin1(row.text));
        dlg.accept();
        EXPECT_EQ(dlg.result() == QDialog::Accepted, row.accepted);
        EXPECT_EQ(step.GetMinutes() != 0.0f, row.accepted);
    }
    for (const auto& row : levels) {
        SCOPED_TRACE(row.text);
        CStepLevel step;
        step.SetLevel(50);
        CStepLevelDialog dlg(step);
        dlg.Level().setText(QString::fromLatin1(row.text));
        dlg.accept();
        EXPECT_EQ(step.GetLevel() != 50, row.accepted);
    }
}

TEST_F(SequenceWindowTest, ManualModeSetsSetpointEnableAndUnit) {
    const struct {
        int mode;
        bool setpoint;
        const char* unit;
    } rows[] = {{0, false, "mV"}, {1, true, "mV"}, {2, true, "mV"}, {3, true, "PPB"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        CStepManual step;
        CStepManualDialog dlg(step);
        dlg.Mode(row.mode).setChecked(true);
        EXPECT_EQ(dlg.Setpoint().isEnabled(), row.setpoint);
        EXPECT_EQ(dlg.SetpointUnit().text().toStdString(), row.unit);
        dlg.CalGas().setCurrentText(QStringLiteral("CO"));
        dlg.accept();
        EXPECT_EQ(step.GetMode(), row.mode);
        EXPECT_EQ(step.GetGasId(), static_cast<uint32_t>(GAS_CO));
    }
}

TEST_F(SequenceWindowTest, GenerateLooksUpUnitAndGasByName) {
    const struct {
        const char* unit;
        const char* gas;
        uint32_t unitId, gasId;
    } rows[] = {{"PPM", "NO", UNIT_PPM, GAS_NO}, {"BOGUS", "NOPE", UNIT_PPB, GAS_SO2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.unit);
        CStepGenerate step;
        step.SetConcentration(EGasValue(400, UNIT_PPB, GAS_SO2));
        CStepGenerateDialog dlg(step);
        EXPECT_EQ(dlg.Concentration().text(), QStringLiteral("400"));
        dlg.Concentration().setText(QStringLiteral("2"));
        dlg.Units().setEditText(QString::fromLatin1(row.unit));
        dlg.Gas().setEditText(QString::fromLatin1(row.gas));
        dlg.accept();
        const EGasValue v = step.GetConcentration();
        EXPECT_EQ(v.GetUnitId(), row.unitId);
        EXPECT_EQ(v.GetGasId(), row.gasId);
        EXPECT_NEAR(v.Value(), 2.0, 1e-6);
    }
}

TEST_F(SequenceWindowTest, StatusBlockDigitsAndBitChecksAgree) {
    CStepStatusBlock step;
    CStepStatusBlockDialog dlg(step);
    const struct {
        const char* typed;
        unsigned bits;
    } rows[] = {{"10000001", 0x81}, {"00000010", 0x02}, {"11110000", 0xF0}, {"", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        dlg.Digits(0).setText(QString::fromLatin1(row.typed));
        emit dlg.Digits(0).textEdited(dlg.Digits(0).text());
        for (int bit = 0; bit < 8; ++bit)
            EXPECT_EQ(dlg.Bit(0, bit).isChecked(), ((row.bits >> bit) & 1u) != 0) << bit;
    }
    // A click rewrites the digits, highest bit first.
    dlg.Bit(0, 2).setChecked(true);
    EXPECT_EQ(dlg.Digits(0).text(), QStringLiteral("00000100"));
    int pos = 0;
    QString bad = QStringLiteral("0120");
    EXPECT_EQ(dlg.Digits(0).validator()->validate(bad, pos), QValidator::Invalid);
    QString long9 = QStringLiteral("000000000");
    EXPECT_EQ(dlg.Digits(0).validator()->validate(long9, pos), QValidator::Invalid);
    // A disabled block shows so and cannot be typed in.
    dlg.Enable(1).setChecked(false);
    EXPECT_EQ(dlg.Digits(1).text(), QStringLiteral("DISABLED"));
    EXPECT_FALSE(dlg.Digits(1).isEnabled());
    dlg.accept();
    EXPECT_EQ(step.GetBlock1().GetBits(), 0x04u);
    EXPECT_FALSE(step.GetBlock2().IsEnabled());
    Shoot(dlg, "step_statusblock");
}

TEST_F(SequenceWindowTest, Pictures) {
    CSequence* seq = WithSteps("CAL1", 1);
    auto* d = new CStepDelay;
    d->SetMinutes(4.5f);
    seq->AddStep(d);
    seq->SetExpanded(true);
    AddSequence("ZERO_SPAN");
    inst->SetCapabilities(CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS |
                          CAP_CAL_LEVEL);
    W w(*inst);
    w.show();
    PumpUntil([] { return true; });
    Shoot(w, "sequence_window");
    CSequencePropertiesDialog props(*seq, *inst);
    Shoot(props, "sequence_properties");
    CStepTypeDialog types(inst->GetCapabilities());
    Shoot(types, "step_type");
    CStepDurationDialog duration(*d);
    EXPECT_EQ(duration.Minutes().text(), QStringLiteral("4.5"));
    Shoot(duration, "step_duration");
    CStepExecSeq exec;
    CStepExecSeqDialog execDlg(exec, *inst);
    EXPECT_EQ(execDlg.Sequence().count(), 2);
    Shoot(execDlg, "step_execseq");
    CStepGenerate gen;
    gen.SetConcentration(EGasValue(400, UNIT_PPB, GAS_SO2));
    CStepGenerateDialog genDlg(gen);
    Shoot(genDlg, "step_generate");
    CStepGPTPreset gpt;
    gpt.SetNO(EGasValue(450, UNIT_PPB, GAS_NO));
    CStepGPTDialog gptDlg(gpt);
    EXPECT_EQ(gptDlg.windowTitle(), QStringLiteral("GPT Preset"));
    gptDlg.NO().setText(QStringLiteral("0.3"));
    gptDlg.NOUnits().setEditText(QStringLiteral("PPM"));
    Shoot(gptDlg, "step_gpt");
    gptDlg.accept();
    EXPECT_EQ(gpt.GetNO().GetUnitId(), static_cast<uint32_t>(UNIT_PPM));
    EXPECT_EQ(gpt.GetNO().GetGasId(), static_cast<uint32_t>(GAS_NO));
    EXPECT_NEAR(gpt.GetNO().Value(), 0.3, 1e-6);
    CStepManual manual;
    CStepManualDialog manualDlg(manual);
    Shoot(manualDlg, "step_manual");
    CStepLevel level;
    CStepLevelDialog levelDlg(level);
    Shoot(levelDlg, "step_level");
    CStepSelOutput sel;
    CStepSelOutputDialog selDlg(sel);
    Shoot(selDlg, "step_seloutput");
    CStepCCOutput cc;
    CStepCCOutputDialog ccDlg(cc);
    Shoot(ccDlg, "step_ccoutput");
}

} // namespace
