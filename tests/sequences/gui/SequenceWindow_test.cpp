// The sequence configuration window and its dialogs, offscreen: the greying rules at the
// limits, the close rules, what each dialog stores, and the whole window end to end against
// the demo's simulated Calibrator.

#include "../SeqFixtures.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/Strings.h"
#include "instruments/Capabilities.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/PanelTestSupport.h"
#include "sequences/SequenceTransfer.h"
#include "sequences/gui/SequenceConfigDialog.h"
#include "sequences/gui/SequencePropertiesDialog.h"
#include "sequences/gui/SequenceWindowHooks.h"
#include "sequences/gui/StepCCOutputDialog.h"
#include "sequences/gui/StepDurationDialog.h"
#include "sequences/gui/StepEditing.h"
#include "sequences/gui/StepExecSeqDialog.h"
#include "sequences/gui/StepGPTDialog.h"
#include "sequences/gui/StepGenerateDialog.h"
#include "sequences/gui/StepLevelDialog.h"
#include "sequences/gui/StepManualDialog.h"
#include "sequences/gui/StepSelOutputDialog.h"
#include "sequences/gui/StepStatusBlockDialog.h"
#include "sequences/gui/StepTypeDialog.h"
#include "sim/SimSequences.h"
#include "sim/SimServer.h"
#include "support_lib/GuiTestApp.h"
#include "ui/AppFileDialog.h"

#include <QCheckBox>
#include <QMenu>
#include <QRadioButton>
#include <QTreeWidget>
#include <QValidator>

namespace {

using W = CSequenceConfigDialog;
using dialogtest::Shot;
using dialogtest::WhenModal;
using paneltest::PumpUntil;

// Fills a step dialog of a known kind.
template <class D> std::function<void(QDialog&)> Fill(std::function<void(D&)> fill) {
    return [fill](QDialog& d) { fill(dynamic_cast<D&>(d)); };
}

class SequenceWindowTest : public seq_test::SeqTest {
protected:
    void SetUp() override { EnsureGuiTestApp(); }

    static bool Enabled(QMenu& menu, unsigned id) {
        for (QAction* a : menu.actions())
            if (a->data().toUInt() == id)
                return a->isEnabled();
        ADD_FAILURE() << "no menu item " << id;
        return false;
    }
    // Runs a command that opens a file chooser, which is given the path.
    static void WithFile(W& w, unsigned command, const std::string& path) {
        WhenModal<CAppFileDialog> chooser([&](CAppFileDialog& d) {
            // Typed: a shown chooser does not take selectFile() while its name field has focus.
            d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(path));
            d.accept();
            if (d.isVisible()) {
                ADD_FAILURE() << "the chooser refused " << path;
                d.reject();
            }
        });
        w.OnCommand(command);
        EXPECT_TRUE(chooser.Seen()) << command;
    }
    // The one step of a sequence read from the step's script text.
    CStep* StepOf(const std::string& text) {
        inst->Sequences().DeleteAll();
        const seq_test::ScriptReader read(
            "SEQLISTBEGIN SEQBEGIN STEPBEGIN " + text + " STEPEND SEQEND SEQLISTEND", *inst);
        EXPECT_TRUE(read.ok) << text;
        return static_cast<CStep*>(static_cast<CSequence*>(inst->Sequences().At(0))->Steps().At(0));
    }
    void Drive(W& w);
};

TEST_F(SequenceWindowTest, SequenceAndStepLimitsGreyTheAddCommands) {
    // clang-format off
    const struct { size_t sequences, steps; bool canAddSeq, canAddStep; } rows[] = {
        {99, 3, true, true}, {100, 3, false, true}, {1, 99, true, true}, {1, 100, true, false}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.sequences << " sequences, " << row.steps);
        inst->Sequences().DeleteAll();
        for (size_t i = 0; i < row.sequences; ++i)
            AddSequence("S" + std::to_string(i));
        for (size_t i = 0; i < row.steps; ++i)
            static_cast<CSequence*>(inst->Sequences().At(0))->AddStep(new CStepPurge);
        W w(*inst);
        w.show();
        QTreeWidgetItem* seqItem = w.Tree().topLevelItem(0);
        w.SelectItem(seqItem);
        w.UpdateControls();
        EXPECT_EQ(w.Button(W::IDC_NEW_SEQ)->isEnabled(), row.canAddSeq);
        EXPECT_EQ(w.Button(W::IDC_NEW_STEP)->isEnabled(), row.canAddStep);
        EXPECT_EQ(Enabled(*w.BuildContextMenu(seqItem), W::ID_DUPLICATE_SEQUENCE), row.canAddSeq);
        EXPECT_EQ(Enabled(*w.BuildContextMenu(seqItem->child(1)), W::ID_NEW_GPT), row.canAddStep);
        // A step command at the limit adds nothing.
        const size_t before = seqItem->childCount();
        w.OnCommand(W::ID_NEW_PURGE);
        EXPECT_EQ(static_cast<size_t>(seqItem->childCount()), before + (row.canAddStep ? 1 : 0));
    }
}

TEST_F(SequenceWindowTest, CloseAsksOnlyWhenConnectedWithUnsentChanges) {
    // clang-format off
    const struct { bool connected, modified; PromptResult answer; bool asks, closes; } rows[] = {
        {false, true, PromptResult::No, false, true},
        {true, true, PromptResult::No, true, false},
        {true, true, PromptResult::Yes, true, true}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.connected << row.modified << int(row.answer));
        app.prompt.asked.clear();
        inst->SetConnected(row.connected);
        inst->SetSequencesModified(row.modified);
        W w(*inst);
        w.show();
        if (row.asks)
            app.prompt.Answer(row.answer);
        w.OnCommand(W::IDC_CLOSE);
        EXPECT_EQ(Errors(), row.asks ? std::vector{LoadString(61287)} : std::vector<std::string>{});
        EXPECT_EQ(!w.isVisible(), row.closes);
    }
    inst->SetConnected(false);
}

TEST_F(SequenceWindowTest, AFailedSendSaysSoAndEndsTheExchange) {
    W w(*inst);
    w.show();
    w.OnMessage(MSG_SEQ_PROGRESS_RANGE, 5, 0);
    w.OnMessage(MSG_SEQ_PROGRESS_STEP, 0, 0);
    w.OnMessage(MSG_SEQ_SEND_FAILED, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Errors().empty(); }));
    EXPECT_EQ(w.Progress().value(), 0);
    EXPECT_EQ(Errors(), std::vector<std::string>{"Error occurred while sending sequence "
                                                 "configuration to instrument. Instrument's "
                                                 "sequence configuration not modified."});
}

TEST_F(SequenceWindowTest, SequenceNamesMustBeValidAndUnique) {
    AddSequence("NONE");
    // clang-format off
    const struct { const char* name; const char* days; unsigned message; } rows[] = {
        {"NONE", "1", 61272}, {"none", "1", 61272}, {"CAL 1", "1", 61272},
        {"CAL_1", "0", 61273}, {"CAL_1", "2", 0}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.prompt.asked.clear();
        CSequence seq(inst, "NONE");
        CSequencePropertiesDialog dlg(seq, *inst);
        Shot(dlg, "sequence-properties");
        dlg.Name().setText(QString::fromLatin1(row.name));
        dlg.Days().setText(QString::fromLatin1(row.days));
        dlg.RunSeveral().setChecked(true);
        dlg.Count().setText(QStringLiteral("7"));
        dlg.accept();
        EXPECT_EQ(Errors(),
                  row.message ? std::vector{LoadString(row.message)} : std::vector<std::string>{});
        EXPECT_EQ(seq.GetText(0), row.message ? "NONE, 0 STEPS" : "CAL_1, 0 STEPS, RUN 7 TIMES");
        EXPECT_EQ(seq.GetTimerPeriod().GetTotalSeconds(), row.message ? 86400u : 2 * 86400u);
    }
}

TEST_F(SequenceWindowTest, OutputAndLevelStepTypesNeedTheirCapabilities) {
    CStepTypeDialog dlg(CAP_OUTPUT_SELECT_STEPS | CAP_CAL_LEVEL);
    ASSERT_EQ(dlg.List().count(), 12);
    EXPECT_EQ(dlg.List().itemText(9), QStringLiteral("Set CC Outputs"));
    EXPECT_EQ(dlg.List().itemText(11), QStringLiteral("Set Status Blocks"));
}

TEST_F(SequenceWindowTest, EachStepDialogStoresWhatWasEnteredWithinItsRange) {
    // The duration and level dialogs have one field.
    auto type = [](const char* text) {
        return [text](QDialog& d) { d.findChild<QLineEdit*>()->setText(text); };
    };
    auto generate = Fill<CStepGenerateDialog>([](auto& d) {
        d.Units().setEditText(QStringLiteral("BOGUS"));
        d.Gas().setEditText(QStringLiteral("NOPE"));
    });
    const struct {
        const char* step; // as the script writes it
        std::function<void(QDialog&)> fill;
        const char* text; // the step afterwards; as made when the value is refused
    } rows[] = {
        {"DELAY 0", type("0.1"), "DURATION 0.1 MIN"},
        {"DELAY 0", type("0.05"), "DURATION 0.0 MIN"},
        {"DELAY 0", type("120.5"), "DURATION 0.0 MIN"},
        {"LEVEL 50", type("10"), "LEVEL 10"},
        {"LEVEL 50", type("9"), "LEVEL 50"},
        {"LEVEL 50", type("100"), "LEVEL 50"},
        {"GENERATE 2 PPB SO2", generate, "GENERATE 2 PPB SO2"},
        {"GPTPS 0 PPB 0 PPB", Fill<CStepGPTDialog>([](auto& d) {
             d.NO().setText(QStringLiteral("0.3"));
             d.NOUnits().setEditText(QStringLiteral("PPM"));
         }),
         "GPT PRESET 0.3 PPM NO 0 PPB O3"},
        {"MANUAL ZERO 0 0 OFF", Fill<CStepManualDialog>([](auto& d) {
             d.CalGas().setCurrentText(QStringLiteral("CO"));
             // The setpoint and its unit follow the mode at once.
             d.Mode(0).setChecked(true);
             EXPECT_FALSE(d.Setpoint().isEnabled());
             d.Mode(3).setChecked(true);
             EXPECT_EQ(d.SetpointUnit().text(), QStringLiteral("PPB"));
             d.Setpoint().setText(QStringLiteral("250"));
         }),
         "MANUAL CO 0.000 0.000 BENCH 250.0"},
        {"EXECSEQ \"\"",
         Fill<CStepExecSeqDialog>([](auto& d) { d.Sequence().setEditText("ZERO_SPAN"); }),
         "EXECUTE SEQUENCE ZERO_SPAN"},
        {"SELOUTPUT \"A\"",
         Fill<CStepSelOutputDialog>([](auto& d) { d.OutputB().setChecked(true); }),
         "SELECT OUTPUT B"},
        {"SETCCOUTPUT \"0\"", Fill<CStepCCOutputDialog>([](auto& d) {
             d.Closure(0).setChecked(true);
             d.Closure(11).setChecked(true);
         }),
         "SET CC OUTPUT 100000000001"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows << ": " << row.text);
        CStep* step = StepOf(row.step);
        WhenModal<QDialog> edit([&](QDialog& d) {
            Shot(d, "step-" + std::to_string(&row - rows));
            row.fill(d);
            d.accept();
            if (d.isVisible()) // refused: the range check keeps the dialog open
                d.reject();
        });
        EditStep(*step, *inst, nullptr);
        EXPECT_TRUE(edit.Seen());
        EXPECT_EQ(step->GetText(0), row.text);
    }
}

TEST_F(SequenceWindowTest, StatusBlockDigitsAndBitChecksAgree) {
    CStepStatusBlock step;
    CStepStatusBlockDialog dlg(step);
    Shot(dlg, "step-statusblock");
    // clang-format off
    const struct { const char* typed; unsigned bits; } rows[] = {{"10000001", 0x81}, {"", 0}};
    // clang-format on
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
    QString bad = QStringLiteral("0120");
    int pos = 0;
    EXPECT_EQ(dlg.Digits(0).validator()->validate(bad, pos), QValidator::Invalid);
    // A disabled block shows so and cannot be typed in.
    dlg.Enable(1).setChecked(false);
    EXPECT_EQ(dlg.Digits(1).text(), QStringLiteral("DISABLED"));
    EXPECT_FALSE(dlg.Digits(1).isEnabled());
    dlg.accept();
    EXPECT_EQ(step.GetText(0), "SET STATUS BLOCK 00000100 DISABLED");
}

// Inside the window's own event loop: each dialog a command opens is answered by a watcher
// that gives up on its own.
void SequenceWindowTest::Drive(W& w) {
    w.OnCommand(W::IDC_GET_CONFIG);
    ASSERT_TRUE(PumpUntil([&] { return !w.IsExchangeRunning(); }));
    QTreeWidget& tree = w.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    // Saved, the configuration is the instrument's own script, which a new one loads back.
    TempDir folder;
    const std::string file = folder.File("demo.txt");
    WithFile(w, W::IDC_SAVE, file);
    EXPECT_EQ(ReadAll(file), SimSequences::DefaultScript());
    w.OnCommand(W::IDC_NEW_CONFIG);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    WithFile(w, W::IDC_LOAD, file);
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    Shot(w, "sequence-window");
    // Edit MULTIPOINT's first duration.
    w.SelectItem(tree.topLevelItem(1)->child(2));
    WhenModal<CStepDurationDialog> edit([](CStepDurationDialog& d) {
        d.Minutes().setText(QStringLiteral("25"));
        d.accept();
    });
    w.OnCommand(W::IDC_EDIT);
    // PURGE and STANDBY cannot be edited, the first step cannot move up nor the last down
    // (the bytes sent show that nothing moved).
    QTreeWidgetItem* purge = tree.topLevelItem(2);
    for (int i : {0, 2}) {
        SCOPED_TRACE(i);
        w.SelectItem(purge->child(i));
        w.UpdateControls();
        EXPECT_FALSE(w.Button(W::IDC_EDIT)->isEnabled());
        EXPECT_FALSE(Enabled(*w.BuildContextMenu(purge->child(i)), W::ID_EDIT_STEP));
        EXPECT_EQ(w.Button(W::IDC_MOVE_UP)->isEnabled(), i != 0);
        EXPECT_EQ(w.Button(W::IDC_MOVE_DOWN)->isEnabled(), i == 0);
        w.OnCommand(i == 0 ? W::IDC_MOVE_UP : W::IDC_MOVE_DOWN);
    }
    // A step added to PURGE with its middle step selected goes last.
    w.SelectItem(purge->child(1));
    WhenModal<CStepTypeDialog> kind([](CStepTypeDialog& d) {
        Shot(d, "step-type");
        // This calibrator has neither output selection nor levels.
        EXPECT_EQ(d.List().itemText(d.List().count() - 1), QStringLiteral("Execute Sequence"));
        d.List().setCurrentIndex(0);
        d.accept();
    });
    WhenModal<CStepGenerateDialog> gen([](CStepGenerateDialog& d) {
        d.Concentration().setText(QStringLiteral("200"));
        d.Gas().setEditText(QStringLiteral("NO"));
        d.accept();
    });
    w.OnCommand(W::IDC_NEW_STEP);
    EXPECT_TRUE(edit.Seen() && kind.Seen() && gen.Seen());
    ASSERT_EQ(purge->childCount(), 4);
    // The generate step goes above STANDBY, which is deleted.
    w.SelectItem(purge->child(3));
    w.OnCommand(W::IDC_MOVE_UP);
    w.SelectItem(purge->child(3));
    app.prompt.Answer(PromptResult::Yes);
    w.OnCommand(W::IDC_DELETE);
    EXPECT_EQ(Errors().back(), "Delete \"STANDBY\"?");
    // ZERO_SPAN's copy goes last.
    w.SelectItem(tree.topLevelItem(0));
    w.OnCommand(W::IDC_DUPLICATE);
    app.prompt.Answer(PromptResult::Yes);
    w.OnCommand(W::IDC_SEND);
    // Closing is ignored while the exchange runs.
    w.OnCommand(W::IDC_CLOSE);
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(PumpUntil([&] { return !w.IsExchangeRunning(); }));
    EXPECT_EQ(Errors().back(), "Sequence configuration successfully sent to instrument.");
    // Sent, so nothing is left unsent: the window closes without asking.
    w.OnCommand(W::IDC_CLOSE);
}

TEST_F(SequenceWindowTest, FromThePanelToTheSimulatedCalibratorsScript) {
    Demo demo;
    InstallSequenceWindow();
    app->SetConfirmDeletes(true);
    ASSERT_TRUE(paneltest::LoadDemo(demo, *app));
    auto* cal =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kCalibratorName));
    ASSERT_TRUE(cal && cal->RequestConnect());
    auto* panel = dynamic_cast<CFrontPanelDialog*>(cal->GetFrontPanel());
    ASSERT_TRUE(panel && PumpUntil([&] {
                    return panel->GetCommandMode() == CFrontPanelDialog::MODE_SEQUENCES;
                }));
    bool closed = false; // a failed step leaves the modal window open
    WhenModal<W> drive([&](W& w) {
        Drive(w);
        closed = !w.isVisible();
        if (!closed)
            w.done(QDialog::Rejected);
    });
    panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
    EXPECT_TRUE(drive.Seen());
    EXPECT_TRUE(closed);

    // The demo's script with the edits, durations under their older name for this revision.
    std::string expected = SimSequences::DefaultScript();
    for (size_t at; (at = expected.find("DURATION")) != std::string::npos;)
        expected.replace(at, 8, "DELAY");
    expected.replace(expected.find("DELAY 20.0"), 10, "DELAY 25.0");
    const std::string purge = "PURGE\r\n      DELAY 10.0\r\n      ";
    expected.replace(expected.find(purge + "STANDBY\r\n"), purge.size() + 9,
                     purge + "GENERATE 200 PPB NO\r\n");
    const size_t zeroEnd = expected.find("  SEQEND\r\n") + 10;
    std::string copy = expected.substr(14, zeroEnd - 14);
    copy.replace(copy.find("ZERO_SPAN"), 9, "Copy of ZERO_SPAN");
    expected.insert(expected.size() - 12, copy);
    const std::string wire = demo.Calibrator()->Received();
    const size_t begin = wire.rfind("SEQLISTBEGIN");
    ASSERT_NE(begin, std::string::npos);
    EXPECT_EQ(wire.substr(begin, wire.find("SEQLISTEND\r\n", begin) + 12 - begin), expected);

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    EXPECT_TRUE(PumpUntil([&] { return !cal->IsConnected(); }));
    for (CNamedObject* obj : app->Sites())
        static_cast<CSiteConnection*>(obj)->WaitForWorkers(CSiteConnection::kJoinLimitMs);
}

} // namespace
