// The sequence script: the written layout byte for byte, every syntax error with its token
// and line, round trips of every step kind through the script and the archive, and the
// script file operations.

#include "SeqFixtures.h"
#include "model/Archive.h"

namespace seq_test {
namespace {

using config_test::ReadAll;
using config_test::WriteAll;

TEST_F(SeqTest, ScriptLayoutByteForByteAndRoundTrips) {
    EXPECT_EQ(BuildSequenceScript(*inst, kSequenceFileFlags), "SEQLISTBEGIN\r\nSEQLISTEND\r\n");
    FillEveryKind(*inst);
    EXPECT_EQ(BuildSequenceScript(*inst, kSequenceFileFlags), kEveryKindScript);
    // Without the step names the duration step is written with its keyword, and read back.
    std::string plain = kEveryKindScript;
    plain.replace(plain.find("DURATION 4.5"), 8, "DELAY");
    EXPECT_EQ(BuildSequenceScript(*inst, TEXT_SCRIPT), plain);
    CInstrumentConnection back;
    StringTokenStream ts(plain);
    ts.SetSpanLines(true);
    EXPECT_TRUE(ReadSequenceList(ts, back));
    EXPECT_EQ(BuildSequenceScript(back, kSequenceFileFlags), kEveryKindScript);
    EXPECT_EQ(SequenceSendFlags(*inst), unsigned{TEXT_SCRIPT});
    inst->SetCapabilities(CAP_CAL_DURATION);
    EXPECT_EQ(SequenceSendFlags(*inst), kSequenceFileFlags);

    // The archive: the instrument with its sequences, byte-exact after a reload.
    CArchive out;
    out.WriteObject(inst);
    CArchive in(out.Bytes());
    std::unique_ptr<CNamedObject> loaded(ArchiveClassRegistry<CNamedObject>::Read(in));
    auto* copy = dynamic_cast<CInstrumentConnection*>(loaded.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(BuildSequenceScript(*copy, kSequenceFileFlags), kEveryKindScript);
    auto* seq = static_cast<CSequence*>(copy->Sequences().At(0));
    EXPECT_EQ(seq->GetOwner(), copy);
    EXPECT_EQ(static_cast<CStep*>(seq->Steps().At(0))->GetOwner(), seq);
    CArchive again;
    again.WriteObject(copy);
    EXPECT_EQ(again.Bytes(), out.Bytes());
    // A standard configuration file with sequences saves the same bytes after loading.
    const std::vector<uint8_t> file = CNetworkConfiguration::SaveStandard(*app);
    ASSERT_TRUE(CNetworkConfiguration::LoadStandard(*app, file));
    EXPECT_EQ(CNetworkConfiguration::SaveStandard(*app), file);
}

TEST_F(SeqTest, ArchivedLayoutOfASequenceAndItsStepsIsFixed) {
    auto* seq = AddSequence("S");
    seq->SetTimerStart(DateTime(uint32_t{1000}));
    seq->AddStep(new CStepLevel);
    CArchive out;
    out.WriteObject(seq);
    // clang-format off
    const std::vector<uint8_t> expected = {
        0xFF, 0xFF, 1, 0, 9, 0, 'C', 'S', 'e', 'q', 'u', 'e', 'n', 'c', 'e', // class record
        1, 'S', 0, 0, 0, 0,                                                   // name, ID
        1, 0, 0xFF, 0xFF, 1, 0, 10, 0, 'C', 'S', 't', 'e', 'p', 'L', 'e', 'v', 'e', 'l',
        5, 'L', 'E', 'V', 'E', 'L', 0, 0, 0, 0, 10, 0, 0, 0,                  // one step: LEVEL 10
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                   // CC inputs
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                   // CC outputs
        // timer start, period, repeat count, timer enabled
        0xE8, 3, 0, 0, 0x80, 0x51, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    // clang-format on
    EXPECT_EQ(out.Bytes(), expected);
    // Read with the same layout whatever schema number the file holds.
    std::vector<uint8_t> other = expected;
    other[2] = 7;
    other[26] = 3;
    CArchive in(other);
    std::unique_ptr<CNamedObject> back(ArchiveClassRegistry<CNamedObject>::Read(in));
    auto* read = dynamic_cast<CSequence*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetText(0), "S, 1 STEP");
}

struct ErrorRow {
    const char* field; // inside one sequence, on line 4
    const char* token; // the token noted, or null when the text reads without error
};

TEST_F(SeqTest, SyntaxErrorsNameTheirTokenAndLine) {
    // clang-format off
    const ErrorRow rows[] = {
        {"NAME 5", "5"}, {"COLOR 5", "COLOR"}, {"TIMER ON", "ON"},
        {"REPEATCOUNT 101", "101"}, {"REPEATCOUNT -1", "-1"}, {"REPEATCOUNT \"x\"", "x"},
        {"CCINPUT 101", "101"}, {"CCINPUT \"12\"", "12"},
        {"CCINPUT \"1111111111111\"", "1111111111111"},
        {"TIMERSTART 02/29/2005 10:00", "00"}, {"TIMERSTART 01/15/2004 24:00", "00"},
        {"TIMERSTART 01-15-2004 10:00", "-15"},
        {"TIMERDELTA 367:00:00", "367"}, {"TIMERDELTA 001:24:00", "24"},
        {"TIMERDELTA 001:00:60", "60"},
        {"STEPBEGIN LEVEL 9 STEPEND", "9"}, {"STEPBEGIN LEVEL 100 STEPEND", "100"},
        {"STEPBEGIN LEVEL 10.5 STEPEND", "10.5"},
        {"STEPBEGIN GENERATE SO2 STEPEND", "SO2"}, {"STEPBEGIN GENERATE 5 PPB STEPEND", "STEPEND"},
        {"STEPBEGIN GENERATE 5 SO2 PPB STEPEND", "SO2"},
        {"STEPBEGIN GPT 1 PPB 2 STEPEND", "STEPEND"},
        {"STEPBEGIN MANUAL 1 1 1 OFF STEPEND", "1"},
        {"STEPBEGIN MANUAL ZERO 1 2 FAST STEPEND", "FAST"},
        {"STEPBEGIN MANUAL ZERO 1 2 CONST STEPEND", "STEPEND"},
        {"STEPBEGIN MANUAL ZERO 1e39 1 OFF STEPEND", "1e39"},
        {"STEPBEGIN DELAY LONG STEPEND", "LONG"},
        {"STEPBEGIN DELAY 1e400 STEPEND", "1e400"}, // would be written back as "inf"
        {"STEPBEGIN EXECSEQ 5 STEPEND", "5"}, {"STEPBEGIN SELOUTPUT \"C\" STEPEND", "C"},
        {"STEPBEGIN SETCCOUTPUT 1 STEPEND", "1"},
        {"STEPBEGIN SETSTATUSBLOCK \"000000001\" \"0\" STEPEND", "000000001"},
        {"STEPBEGIN SETSTATUSBLOCK \"1\" STEPEND", "STEPEND"},
        {"STEPBEGIN PURGE STEPEND PURGE", "PURGE"}, {"STEPBEGIN PURGE SEQEND", "SEQEND"},
        // What reads without error.
        {"TIMERSTART 01/15/04 08:30", nullptr}, {"TIMERDELTA 000:00:00", nullptr},
        {"STEPBEGIN STEPEND", nullptr}, {"CCINPUT \"\"", nullptr},
        {"STEPBEGIN DELAY 4.5 DURATION 4.5 STEPEND", nullptr},
        {"STEPBEGIN GENERATE 5 wt% SO2 STEPEND", nullptr},
        {"STEPBEGIN selOutput \"b\" execseq \"cal2\" STEPEND", nullptr}};
    // clang-format on
    for (const ErrorRow& row : rows) {
        SCOPED_TRACE(row.field);
        CInstrumentConnection target;
        StringTokenStream ts(std::string("SEQLISTBEGIN\r\n  SEQBEGIN\r\n    NAME \"A\"\r\n    ") +
                             row.field + "\r\n  SEQEND\r\nSEQLISTEND\r\n");
        ts.SetSpanLines(true);
        ReadSequenceList(ts, target);
        if (!row.token) {
            EXPECT_EQ(ts.GetErrorCount(), 0u) << ts.GetErrorText();
            continue;
        }
        EXPECT_GE(ts.GetErrorCount(), 1u);
        EXPECT_EQ(ts.GetErrorText(), row.token);
        EXPECT_EQ(ts.GetErrorLine(), 4u);
    }
}

TEST_F(SeqTest, WhatTheReaderKeepsFromAcceptedTexts) {
    StringTokenStream ts("SEQLISTBEGIN SEQBEGIN NAME \"Copy of A\" TIMERSTART 01/15/04 08:30\r\n"
                         "CCINPUT \"\" REPEATCOUNT 7 REPEATCOUNT 300 STEPBEGIN DELAY 4.5 "
                         "EXECSEQ \"cal2\" STEPEND SEQEND SEQLISTEND");
    ts.SetSpanLines(true);
    EXPECT_TRUE(ReadSequenceList(ts, *inst));
    ASSERT_EQ(inst->Sequences().GetCount(), 1u);
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    EXPECT_EQ(seq->GetName(), "Copy of A");
    EXPECT_EQ(seq->GetRepeatCount(), 7); // 300 is noted and skipped
    EXPECT_EQ(ts.GetErrorText(), "300");
    EXPECT_TRUE(seq->GetTimerStart() == DateTime(2004, 1, 15, 8, 30, 0));
    EXPECT_TRUE(seq->GetCCInputs().IsEnabled());
    EXPECT_EQ(seq->GetCCInputs().GetBits(), 0u);
    EXPECT_EQ(seq->GetText(0), "Copy of A, 2 STEPS, RUN 7 TIMES");
    EXPECT_EQ(static_cast<CStep*>(seq->Steps().At(0))->GetText(0), "DURATION 4.5 MIN");
    EXPECT_EQ(static_cast<CStep*>(seq->Steps().At(1))->GetText(0), "EXECUTE SEQUENCE CAL2");
}

TEST_F(SeqTest, LoadingAScriptFile) {
    TempFolder folder;
    const std::string good = folder.File("good.txt");
    WriteAll(good, kEveryKindScript);
    AddSequence("OLD");
    inst->SetSequencesModified(true);
    app->SetModified(false);
    std::string message;
    EXPECT_TRUE(LoadSequenceScript(*inst, good, &message));
    EXPECT_EQ(BuildSequenceScript(*inst, kSequenceFileFlags), kEveryKindScript);
    EXPECT_FALSE(inst->GetSequencesModified());
    EXPECT_TRUE(app->IsModified());

    // clang-format off
    const struct { const char* text; const char* token; int line; } rows[] = {
        {"SEQLISTBEGIN\r\nSEQLISTEND\r\nMORE\r\n", "MORE", 3},
        {"SEQLISTBEGIN\r\n  SEQBEGIN\r\n    NAME \"A\"\r\n", "<end of file>", 3},
        {"SEQLISTBEGIN\r\n  SEQBEGIN\r\n    REPEATCOUNT 101\r\n  SEQEND\r\nSEQLISTEND\r\n",
         "101", 3},
        {nullptr, nullptr, 0}}; // no file
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text ? row.text : "missing");
        const std::string bad = folder.File(row.text ? "bad.txt" : "missing.txt");
        if (row.text)
            WriteAll(bad, row.text);
        app.prompt.asked.clear();
        AddSequence("OLD");
        EXPECT_FALSE(LoadSequenceScript(*inst, bad, &message));
        const std::string expected =
            row.text ? "Syntax error encountered at '" + std::string(row.token) + "', on line " +
                           std::to_string(row.line) + " of sequence configuration script file " +
                           bad + ". File not loaded."
                     : "Unable to load sequence configuration script file " + bad + ".";
        EXPECT_EQ(message, expected);
        EXPECT_EQ(Errors(), std::vector<std::string>{expected});
        EXPECT_EQ(inst->Sequences().GetCount(), 0u);
    }
}

TEST_F(SeqTest, SavingAScriptFile) {
    TempFolder folder;
    const std::string path = folder.File("seq.txt");
    WriteAll(path, "old contents");
    FillEveryKind(*inst);
    inst->SetSequencesModified(true);
    EXPECT_TRUE(SaveSequenceScript(*inst, path));
    EXPECT_EQ(ReadAll(path), kEveryKindScript);
    EXPECT_FALSE(inst->GetSequencesModified());

    // A name the script would have to quote but cannot is refused; the old file stays.
    auto* second = static_cast<CSequence*>(inst->Sequences().At(1));
    for (const char* name : {"BAD\"NAME", "TWO\r\nLINES"}) {
        SCOPED_TRACE(name);
        second->SetName(name);
        app.prompt.asked.clear();
        std::string message;
        EXPECT_FALSE(SaveSequenceScript(*inst, path, &message));
        const std::string shown = name[0] == 'B' ? "'BAD\"NAME'" : "'TWO  LINES'";
        EXPECT_NE(message.find(shown), std::string::npos) << message;
        EXPECT_EQ(Errors().size(), 1u);
        EXPECT_EQ(ReadAll(path), kEveryKindScript);
    }
    second->SetName("OK");
    auto* exec =
        static_cast<CStepExecSeq*>(static_cast<CSequence*>(inst->Sequences().At(0))->Steps().At(8));
    exec->SetSequenceName("A\"B");
    EXPECT_EQ(FindUnwritableSequence(*inst), "CAL1");
    exec->SetSequenceName("CAL2");

    // A folder that cannot be written: the message names the file.
    std::string message;
    const std::string nowhere = folder.File("no/such/folder.txt");
    EXPECT_FALSE(SaveSequenceScript(*inst, nowhere, &message));
    EXPECT_EQ(message, "Unable to save sequence configuration file " + nowhere + ".");

    inst->SetSerialNumber("123");
    EXPECT_EQ(ProposedSequenceScriptName(*inst), "Cal-123 Sequence Configuration.txt");
}

} // namespace
} // namespace seq_test
