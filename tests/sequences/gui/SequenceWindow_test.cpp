// The sequence configuration window and its dialogs, offscreen: the greying rules at the
// limits, moves at the ends, the close rules, the result messages, script files, what each
// dialog stores, pictures of each window, and the whole window end to end against the
// demo's simulated Calibrator.

#include "../SeqFixtures.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/Strings.h"
#include "connections/gui/DialogTestSupport.h"
#include "instruments/Capabilities.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "sequences/SequenceScript.h"
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
#include <QElapsedTimer>
#include <QMenu>
#include <QRadioButton>
#include <QTreeWidget>
#include <QValidator>

namespace {

using W = CSequenceConfigDialog;
using dialogtest::Shot;
using dialogtest::WhenModal;

// Runs the event loop until done() holds; false once the bound has passed.
bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Fills a step dialog of a known kind.
template <class D> std::function<void(QDialog&)> Fill(std::function<void(D&)> fill) {
    return [fill](QDialog& d) { fill(dynamic_cast<D&>(d)); };
}

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
            // Typed into the name field: a shown chooser does not take selectFile() there
            // while that field has the focus.
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
        seq_test::StringTokenStream ts("SEQLISTBEGIN SEQBEGIN STEPBEGIN " + text +
                                       " STEPEND SEQEND SEQLISTEND");
        ts.SetSpanLines(true);
        EXPECT_TRUE(ReadSequenceList(ts, *inst)) << text;
        return static_cast<CStep*>(static_cast<CSequence*>(inst->Sequences().At(0))->Steps().At(0));
    }
    void Drive(W& w);
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

TEST_F(SequenceWindowTest, PurgeAndStandbyCannotBeEditedAndEndsCannotMoveOut) {
    CSequence* seq = AddSequence("CAL");
    seq->AddStep(new CStepPurge);
    seq->AddStep(new CStepStandby);
    seq->AddStep(new CStepDelay);
    inst->SetCapabilities(CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_LEVEL);
    W w(*inst);
    w.show();
    // clang-format off
    const struct { bool editable, up, down; } rows[] = {
        {false, false, true}, {false, true, true}, {true, true, false}};
    // clang-format on
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        QTreeWidgetItem* item = w.Tree().topLevelItem(0)->child(i);
        w.SelectItem(item);
        w.UpdateControls();
        EXPECT_EQ(w.Button(W::IDC_EDIT)->isEnabled(), rows[i].editable);
        EXPECT_EQ(w.Button(W::IDC_MOVE_UP)->isEnabled(), rows[i].up);
        EXPECT_EQ(w.Button(W::IDC_MOVE_DOWN)->isEnabled(), rows[i].down);
        auto menu = w.BuildContextMenu(item);
        EXPECT_EQ(Enabled(*menu, W::ID_EDIT_STEP), rows[i].editable);
        EXPECT_TRUE(Enabled(*menu, W::ID_NEW_LEVEL));
        // At an end, the move the button refuses leaves the order as it was.
        CNamedObject* selected = seq->Steps().At(static_cast<size_t>(i));
        if (!rows[i].up || !rows[i].down)
            w.OnCommand(rows[i].up ? W::IDC_MOVE_DOWN : W::IDC_MOVE_UP);
        EXPECT_EQ(seq->Steps().At(static_cast<size_t>(i)), selected);
    }
}

TEST_F(SequenceWindowTest, CloseAsksOnlyWhenConnectedWithUnsentChanges) {
    // clang-format off
    const struct { bool connected, modified; PromptResult answer; bool asks, closes; } rows[] = {
        {false, true, PromptResult::No, false, true},
        {true, false, PromptResult::No, false, true},
        {true, true, PromptResult::No, true, false},
        {true, true, PromptResult::Yes, true, true}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "connected " << row.connected << ", modified "
                                        << row.modified << ", answer " << int(row.answer));
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

TEST_F(SequenceWindowTest, ResultMessagesEndTheExchangeWithTheirMessages) {
    // clang-format off
    const struct { unsigned message; const char* shown; } rows[] = {
        {MSG_SEQ_SEND_DONE, "Sequence configuration successfully sent to instrument."},
        {MSG_SEQ_SEND_FAILED, "Error occurred while sending sequence configuration"},
        {MSG_SEQ_FETCH_FAILED, nullptr},
        {MSG_SEQ_FETCH_DONE, nullptr}};
    // clang-format on
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
        ASSERT_EQ(Errors().size(), row.shown ? 1u : 0u);
        if (row.shown) {
            EXPECT_EQ(Errors()[0].rfind(row.shown, 0), 0u);
        }
    }
}

TEST_F(SequenceWindowTest, SequenceNamesMustBeValidAndUnique) {
    AddSequence("NONE");
    // clang-format off
    const struct { const char* name; const char* days; unsigned message; } rows[] = {
        {"NONE", "1", 61272}, {"none", "1", 61272}, {"", "1", 61272},
        {"CAL 1", "1", 61272}, {"CAL_1", "0", 61273}, {"CAL_1", "2", 0}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.prompt.asked.clear();
        CSequence seq(inst, "NONE");
        CSequencePropertiesDialog dlg(seq, *inst);
        Shot(dlg, "sequence-properties");
        dlg.Name().setText(QString::fromLatin1(row.name));
        dlg.Days().setText(QString::fromLatin1(row.days));
        dlg.Hours().setText(QStringLiteral("0"));
        dlg.Minutes().setText(QStringLiteral("0"));
        dlg.RunSeveral().setChecked(true);
        dlg.Count().setText(QStringLiteral("7"));
        dlg.accept();
        EXPECT_EQ(Errors(),
                  row.message ? std::vector{LoadString(row.message)} : std::vector<std::string>{});
        EXPECT_EQ(seq.GetText(0), row.message ? "NONE, 0 STEPS" : "CAL_1, 0 STEPS, RUN 7 TIMES");
        EXPECT_EQ(seq.GetTimerPeriod().GetTotalSeconds(), row.message ? 86400u : 2 * 86400u);
    }
}

TEST_F(SequenceWindowTest, StepTypesFollowTheCapabilities) {
    // clang-format off
    const struct { uint32_t caps; int entries; const char* last; } rows[] = {
        {0, 8, "Execute Sequence"},
        {CAP_OUTPUT_SELECT_STEPS, 10, "Set CC Outputs"},
        {CAP_OUTPUT_SELECT_STEPS | CAP_CAL_LEVEL, 12, "Set Status Blocks"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caps);
        CStepTypeDialog dlg(row.caps);
        Shot(dlg, "step-type");
        ASSERT_EQ(dlg.List().count(), row.entries);
        EXPECT_EQ(dlg.List().itemText(row.entries - 1).toStdString(), row.last);
        dlg.List().setCurrentIndex(row.entries - 1);
        std::unique_ptr<CStep> step(W::CreateStepFor(dlg.ChosenCommand()));
        EXPECT_NE(step, nullptr);
    }
}

TEST_F(SequenceWindowTest, EachStepDialogStoresWhatWasEnteredWithinItsRange) {
    auto minutes = [](const char* text) {
        return Fill<CStepDurationDialog>([text](auto& d) { d.Minutes().setText(text); });
    };
    auto level = [](const char* text) {
        return Fill<CStepLevelDialog>([text](auto& d) { d.Level().setText(text); });
    };
    auto generate = [](const char* unit, const char* gas) {
        return Fill<CStepGenerateDialog>([unit, gas](auto& d) {
            d.Concentration().setText(QStringLiteral("2"));
            d.Units().setEditText(unit);
            d.Gas().setEditText(gas);
        });
    };
    const struct {
        const char* shot;
        const char* step; // as the script writes it
        std::function<void(QDialog&)> fill;
        const char* text; // the step afterwards; as made when the value is refused
    } rows[] = {
        {"duration", "DELAY 0", minutes("0.1"), "DURATION 0.1 MIN"},
        {"", "DELAY 0", minutes("120"), "DURATION 120.0 MIN"},
        {"", "DELAY 0", minutes("0.05"), "DURATION 0.0 MIN"},
        {"", "DELAY 0", minutes("120.5"), "DURATION 0.0 MIN"},
        {"", "DELAY 0", minutes("x"), "DURATION 0.0 MIN"},
        {"level", "LEVEL 50", level("10"), "LEVEL 10"},
        {"", "LEVEL 50", level("99"), "LEVEL 99"},
        {"", "LEVEL 50", level("9"), "LEVEL 50"},
        {"", "LEVEL 50", level("100"), "LEVEL 50"},
        {"generate", "GENERATE 400 PPB SO2", generate("PPM", "NO"), "GENERATE 2.0 PPM NO"},
        {"", "GENERATE 400 PPB SO2", generate("BOGUS", "NOPE"), "GENERATE 2 PPB SO2"},
        {"gpt", "GPTPS 0 PPB 0 PPB", Fill<CStepGPTDialog>([](auto& d) {
             EXPECT_EQ(d.windowTitle(), QStringLiteral("GPT Preset"));
             d.NO().setText(QStringLiteral("0.3"));
             d.NOUnits().setEditText(QStringLiteral("PPM"));
         }),
         "GPT PRESET 0.3 PPM NO 0 PPB O3"},
        {"manual", "MANUAL ZERO 0 0 OFF", Fill<CStepManualDialog>([](auto& d) {
             d.CalGas().setCurrentText(QStringLiteral("CO"));
             // The setpoint and its unit follow the mode at once; bench feedback stays.
             for (int mode : {3, 0, 1, 2, 3}) {
                 d.Mode(mode).setChecked(true);
                 EXPECT_EQ(d.Setpoint().isEnabled(), mode != 0) << mode;
                 EXPECT_EQ(d.SetpointUnit().text().toStdString(), mode == 3 ? "PPB" : "mV");
             }
             d.Setpoint().setText(QStringLiteral("250"));
         }),
         "MANUAL CO 0.000 0.000 BENCH 250.0"},
        {"execseq", "EXECSEQ \"\"",
         Fill<CStepExecSeqDialog>([](auto& d) { d.Sequence().setEditText("ZERO_SPAN"); }),
         "EXECUTE SEQUENCE ZERO_SPAN"},
        {"seloutput", "SELOUTPUT \"A\"",
         Fill<CStepSelOutputDialog>([](auto& d) { d.OutputB().setChecked(true); }),
         "SELECT OUTPUT B"},
        {"ccoutput", "SETCCOUTPUT \"0\"", Fill<CStepCCOutputDialog>([](auto& d) {
             d.Closure(0).setChecked(true);
             d.Closure(11).setChecked(true);
         }),
         "SET CC OUTPUT 100000000001"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        CStep* step = StepOf(row.step);
        WhenModal<QDialog> edit([&](QDialog& d) {
            if (*row.shot)
                Shot(d, std::string("step-") + row.shot);
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
    // clang-format off
    const struct { const char* typed; unsigned bits; } rows[] = {
        {"10000001", 0x81}, {"00000010", 0x02}, {"11110000", 0xF0}, {"", 0}};
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
    for (QString bad : {QStringLiteral("0120"), QStringLiteral("000000000")}) {
        int pos = 0;
        EXPECT_EQ(dlg.Digits(0).validator()->validate(bad, pos), QValidator::Invalid)
            << bad.toStdString();
    }
    // A disabled block shows so and cannot be typed in.
    dlg.Enable(1).setChecked(false);
    EXPECT_EQ(dlg.Digits(1).text(), QStringLiteral("DISABLED"));
    EXPECT_FALSE(dlg.Digits(1).isEnabled());
    Shot(dlg, "step-statusblock");
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
    // Saved, the configuration is the instrument's own script; a new one is empty, and the
    // file loads it back.
    seq_test::TempFolder folder;
    const std::string file = folder.File("demo.txt");
    WithFile(w, W::IDC_SAVE, file);
    EXPECT_EQ(ReadAll(file), SimSequences::DefaultScript());
    w.OnCommand(W::IDC_NEW_CONFIG);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    WithFile(w, W::IDC_LOAD, file);
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    w.OnCommand(W::IDC_EXPAND_ALL);
    Shot(w, "sequence-window");
    // Edit MULTIPOINT's first duration.
    w.SelectItem(tree.topLevelItem(1)->child(2));
    WhenModal<CStepDurationDialog> edit([](CStepDurationDialog& d) {
        d.Minutes().setText(QStringLiteral("25"));
        d.accept();
    });
    w.OnCommand(W::IDC_EDIT);
    // Add to PURGE with its middle step selected: a generate step chosen by kind, then a
    // duration from the menu; both go to the end.
    QTreeWidgetItem* purge = tree.topLevelItem(2);
    w.SelectItem(purge->child(1));
    WhenModal<CStepTypeDialog> kind([](CStepTypeDialog& d) {
        d.List().setCurrentIndex(0);
        d.accept();
    });
    WhenModal<CStepGenerateDialog> gen([](CStepGenerateDialog& d) {
        d.Concentration().setText(QStringLiteral("200"));
        d.Gas().setEditText(QStringLiteral("NO"));
        d.accept();
    });
    w.OnCommand(W::IDC_NEW_STEP);
    WhenModal<CStepDurationDialog> added([](CStepDurationDialog& d) {
        d.Minutes().setText(QStringLiteral("2.5"));
        d.accept();
    });
    w.OnCommand(W::ID_NEW_DURATION);
    EXPECT_TRUE(edit.Seen() && kind.Seen() && gen.Seen() && added.Seen());
    ASSERT_EQ(purge->childCount(), 5);
    // The generate step goes above STANDBY, which is then deleted.
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
    // Closing is ignored while the exchange runs, without a question.
    const size_t asked = app.prompt.asked.size();
    w.OnCommand(W::IDC_CLOSE);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(app.prompt.asked.size(), asked);
    ASSERT_TRUE(PumpUntil([&] { return !w.IsExchangeRunning(); }));
    EXPECT_EQ(app.prompt.asked.back().text, LoadString(61280));
    // Sent, so nothing is left unsent: the window closes without asking.
    w.OnCommand(W::IDC_CLOSE);
}

TEST_F(SequenceWindowTest, FromThePanelToTheSimulatedCalibratorsScript) {
    Demo demo;
    CNetworkConfiguration::Install(*app);
    CFrontPanelDialog::Install(*app);
    InstallSequenceWindow();
    app->SetConfirmDeletes(true);
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    auto* cal =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kCalibratorName));
    ASSERT_NE(cal, nullptr);
    ASSERT_TRUE(cal->RequestConnect());
    auto* panel = dynamic_cast<CFrontPanelDialog*>(cal->GetFrontPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(
        PumpUntil([&] { return panel->GetCommandMode() == CFrontPanelDialog::MODE_SEQUENCES; }));
    // The window runs modally; one that a failed step left open is closed here.
    bool closed = false;
    WhenModal<W> drive([&](W& w) {
        Drive(w);
        closed = !w.isVisible();
        if (!closed)
            w.done(QDialog::Rejected);
    });
    panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
    EXPECT_TRUE(drive.Seen());
    EXPECT_TRUE(closed);

    // The demo's script with the edits; a calibrator of this revision knows durations by
    // their older name.
    std::string expected = SimSequences::DefaultScript();
    for (size_t at; (at = expected.find("DURATION")) != std::string::npos;)
        expected.replace(at, 8, "DELAY");
    expected.replace(expected.find("DELAY 20.0"), 10, "DELAY 25.0");
    const std::string purge = "PURGE\r\n      DELAY 10.0\r\n      ";
    expected.replace(expected.find(purge + "STANDBY\r\n"), purge.size() + 9,
                     purge + "GENERATE 200 PPB NO\r\n      DELAY 2.5\r\n");
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
