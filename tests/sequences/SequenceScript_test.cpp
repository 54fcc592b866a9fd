// Sequences and their script: the written layout byte for byte, every syntax error with its
// token and line, round trips of every step kind through the script and the archive, display
// texts and copies, closure and gas texts, and the script file operations.

#include "SeqFixtures.h"
#include "model/Archive.h"

#include <iterator>
#include <memory>

namespace seq_test {
namespace {

TEST_F(SeqTest, ScriptLayoutByteForByteAndRoundTrips) {
    EXPECT_EQ(BuildSequenceScript(*inst, kSequenceFileFlags), "SEQLISTBEGIN\r\nSEQLISTEND\r\n");
    FillEveryKind(*inst);
    EXPECT_EQ(BuildSequenceScript(*inst, kSequenceFileFlags), kEveryKindScript);

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
    EXPECT_EQ(seq->GetText(0), "S, 1 STEP");
}

TEST_F(SeqTest, DisplayTextsOfEveryStepKindSurviveACopy) {
    // clang-format off
    const char* const edited[] = {
        "GENERATE ZERO", "GENERATE 400 PPB SO2", "GPT 450 PPB NO 0.4 PPM O3",
        "GPT PRESET 45 PPB NO 0 PPB O3", "MANUAL CO 1.500 5.000 REF 250.0", "PURGE", "STANDBY",
        "DURATION 4.5 MIN", "EXECUTE SEQUENCE CAL2", "SELECT OUTPUT B",
        "SET CC OUTPUT 100000000001", "LEVEL 42", "SET STATUS BLOCK 00000001 DISABLED"};
    // clang-format on
    FillEveryKind(*inst);
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    EXPECT_EQ(seq->GetText(0), "CAL1, 13 STEPS, RUN 5 TIMES");
    EXPECT_EQ(static_cast<CSequence*>(inst->Sequences().At(1))->GetText(0),
              "Copy of CAL1, 0 STEPS, RUN UNTIL HALTED");
    std::unique_ptr<CSequence> copy(seq->Clone());
    EXPECT_EQ(copy->GetOwner(), inst);
    ASSERT_EQ(copy->Steps().GetCount(), std::size(edited));
    for (size_t i = 0; i < std::size(edited); ++i) {
        SCOPED_TRACE(edited[i]);
        auto* step = static_cast<CStep*>(copy->Steps().At(i));
        EXPECT_EQ(step->GetText(0), edited[i]);
        EXPECT_EQ(step->GetOwner(), copy.get());
        EXPECT_NE(step, seq->Steps().At(i));
        // Purge and standby have nothing to edit.
        EXPECT_EQ(step->IsEditable(), i != 5 && i != 6);
    }
}

TEST_F(SeqTest, ClosureTextsWiderThanTheirWidthAndLooselyTyped) {
    EXPECT_EQ(CContactClosures(0x8000, true, false).Text(12, false), "0000000000000001");
    CContactClosures set(77, false, false);
    EXPECT_TRUE(set.FromText("  11"));
    EXPECT_EQ(set.GetBits(), 3u);
    EXPECT_FALSE(set.FromText("1 1"));
    EXPECT_EQ(set.GetBits(), 3u);
}

TEST_F(SeqTest, GasValueTextsOfZeroAndUnknownGasesAndUnits) {
    // clang-format off
    const struct { EGasValue value; unsigned flags; const char* text; } rows[] = {
        {EGasValue(5, UNIT_PPB, GAS_ZERO), 56, ""}, {EGasValue(), 120, "UNKNOWN"},
        {EGasValue(7, 999, GAS_SO2), 120, "7 INVALID SO2"}, // converts as FRAC, no decimals
        {EGasValue(7, UNIT_PPB, 999), 0x60, "PPB INVALID"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.value.Text(row.flags), row.text);
    }
}

std::string Step(const std::string& body) {
    return "STEPBEGIN " + body + " STEPEND";
}

TEST_F(SeqTest, SyntaxErrorsNameTheirTokenAndLine) {
    // clang-format off
    const struct { std::string field; const char* token; } rows[] = { // the field on line 4
        {"NAME 5", "5"}, {"COLOR 5", "COLOR"}, {"TIMER ON", "ON"},
        {"REPEATCOUNT 101", "101"}, {"REPEATCOUNT \"x\"", "x"},
        {"CCINPUT 101", "101"}, {"CCINPUT \"12\"", "12"},
        {"CCINPUT \"1111111111111\"", "1111111111111"},
        {"TIMERSTART 02/29/2005 10:00", "00"}, {"TIMERSTART 01-15-2004 10:00", "-15"},
        {"TIMERDELTA 001:24:00", "24"}, {Step("LEVEL 10.5"), "10.5"}, {Step("LEVEL 9"), "9"},
        {Step("GENERATE SO2"), "SO2"}, {Step("GENERATE 5 PPB"), "STEPEND"},
        {Step("GENERATE 5 SO2 PPB"), "SO2"}, {Step("GPT 1 PPB 2"), "STEPEND"},
        {Step("MANUAL 1 1 1 OFF"), "1"}, {Step("MANUAL ZERO 1 2 FAST"), "FAST"},
        {Step("MANUAL ZERO 1 2 CONST"), "STEPEND"}, {Step("MANUAL ZERO 1e39 1 OFF"), "1e39"},
        {Step("DELAY LONG"), "LONG"}, {Step("DELAY 1e400"), "1e400"}, // no "inf" written back
        {Step("EXECSEQ 5"), "5"}, {Step("SELOUTPUT \"C\""), "C"}, {Step("SETCCOUTPUT 1"), "1"},
        {Step("SETSTATUSBLOCK \"000000001\" \"0\""), "000000001"},
        {Step("SETSTATUSBLOCK \"1\""), "STEPEND"},
        {"STEPBEGIN PURGE STEPEND PURGE", "PURGE"}, {"STEPBEGIN PURGE SEQEND", "SEQEND"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        CInstrumentConnection target;
        ScriptReader read("SEQLISTBEGIN\r\n  SEQBEGIN\r\n    NAME \"A\"\r\n    " + row.field +
                              "\r\n  SEQEND\r\nSEQLISTEND\r\n",
                          target);
        EXPECT_GE(read->GetErrorCount(), 1u);
        EXPECT_EQ(read->GetErrorText(), row.token);
        EXPECT_EQ(read->GetErrorLine(), 4u);
    }
}

TEST_F(SeqTest, WhatTheReaderKeepsFromAcceptedTexts) {
    ScriptReader read("SEQLISTBEGIN SEQBEGIN NAME \"Copy of A\" TIMERSTART 01/15/04 08:30\r\n"
                      "CCINPUT \"\" REPEATCOUNT 7 TIMERDELTA 000:00:00 STEPBEGIN STEPEND "
                      "STEPBEGIN DELAY 4.5 DURATION 4.5 GENERATE 5 wt% SO2 selOutput \"b\" "
                      "execseq \"cal2\" STEPEND SEQEND SEQLISTEND",
                      *inst);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read->GetErrorCount(), 0u) << read->GetErrorText();
    ASSERT_EQ(inst->Sequences().GetCount(), 1u);
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    EXPECT_TRUE(seq->GetTimerStart() == DateTime(2004, 1, 15, 8, 30, 0));
    EXPECT_TRUE(seq->GetCCInputs().IsEnabled());
    EXPECT_EQ(seq->GetText(0), "Copy of A, 5 STEPS, RUN 7 TIMES");
    EXPECT_EQ(static_cast<CStep*>(seq->Steps().At(4))->GetText(0), "EXECUTE SEQUENCE CAL2");
}

TEST_F(SeqTest, LoadingAScriptFile) {
    TempDir folder;
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
    const struct { const char* text; const char* token; } rows[] = { // each on line 3
        {"SEQLISTBEGIN\r\nSEQLISTEND\r\nMORE\r\n", "MORE"},
        {"SEQLISTBEGIN\r\n  SEQBEGIN\r\n    NAME \"A\"\r\n", "<end of file>"},
        {"SEQLISTBEGIN\r\n  SEQBEGIN\r\n    REPEATCOUNT 101\r\n  SEQEND\r\nSEQLISTEND\r\n", "101"},
        {nullptr, nullptr}}; // no file
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
            row.text ? "Syntax error encountered at '" + std::string(row.token) +
                           "', on line 3 of sequence configuration script file " + bad +
                           ". File not loaded."
                     : "Unable to load sequence configuration script file " + bad + ".";
        EXPECT_EQ(message, expected);
        EXPECT_EQ(Errors(), std::vector<std::string>{expected});
        EXPECT_EQ(inst->Sequences().GetCount(), 0u);
    }
}

TEST_F(SeqTest, SavingAScriptFile) {
    TempDir folder;
    const std::string path = folder.File("seq.txt");
    WriteAll(path, "old contents");
    FillEveryKind(*inst);
    inst->SetSequencesModified(true);
    EXPECT_TRUE(SaveSequenceScript(*inst, path));
    EXPECT_EQ(ReadAll(path), kEveryKindScript);
    EXPECT_FALSE(inst->GetSequencesModified());
    // A folder that cannot be written: the message names the file.
    const std::string nowhere = folder.File("no/such/folder.txt");
    std::string message;
    EXPECT_FALSE(SaveSequenceScript(*inst, nowhere, &message));
    EXPECT_EQ(message, "Unable to save sequence configuration file " + nowhere + ".");

    // A name the script would have to quote but cannot is refused, shown on one line; the old
    // file stays. A quote is refused as well, also in the name of a sequence executed.
    auto* second = static_cast<CSequence*>(inst->Sequences().At(1));
    second->SetName("TWO\r\nLINES");
    app.prompt.asked.clear();
    EXPECT_FALSE(SaveSequenceScript(*inst, path));
    EXPECT_EQ(Errors(), std::vector<std::string>{
                            "Sequence 'TWO  LINES' has a double quote or a line break in its name "
                            "or in the name of a sequence it executes. The sequence configuration "
                            "script cannot hold it; rename it first."});
    EXPECT_EQ(ReadAll(path), kEveryKindScript);
    second->SetName("BAD\"NAME");
    EXPECT_EQ(FindUnwritableSequence(*inst), "BAD\"NAME");
    second->SetName("OK");
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    static_cast<CStepExecSeq*>(seq->Steps().At(8))->SetSequenceName("A\"B");
    EXPECT_EQ(FindUnwritableSequence(*inst), "CAL1");

    inst->SetSerialNumber("123");
    EXPECT_EQ(ProposedSequenceScriptName(*inst), "Cal-123 Sequence Configuration.txt");
}

} // namespace
} // namespace seq_test
