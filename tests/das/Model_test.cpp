// The DAS model, its archive form, the script and the data file writer.

#include "DASTestUtil.h"
#include "app/NetworkConfiguration.h"
#include "das/DASScript.h"
#include "das/DataFileWriter.h"
#include "das/DataRecordSet.h"
#include "instruments/Capabilities.h"
#include "model/Archive.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

using namespace dastest;

namespace {

const char kScript[] = "dasbegin\r\n"
                       "  channelbegin\r\n    name \"CONC1\"\r\n    event \"ATIMER\"\r\n"
                       "    startdate 3/5/2024\r\n    sampleperiod 000:00:05\r\n"
                       "    reportperiod 001:02:00\r\n"
                       "    records 800\r\n    report disabled\r\n    compact disabled\r\n"
                       "    status enabled\r\n    holdoff disabled\r\n    paramlistbegin\r\n"
                       "      parameter \"NOX\" AVG 1 storesamples\r\n"
                       "      parameter \"O3\" AVG 3\r\n"
                       "    paramlistend\r\n  channelend\r\n"
                       "  channelbegin\r\n    name \"CAL\"\r\n    event \"EXITZR\"\r\n"
                       "    records 100\r\n    report enabled\r\n    compact disabled\r\n"
                       "    status enabled\r\n    holdoff disabled\r\n    paramlistbegin\r\n"
                       "      parameter \"NOX\" AVG 0\r\n"
                       "    paramlistend\r\n  channelend\r\n"
                       "dasend\r\n";

CDASChannel* Channel(CInstrumentConnection& inst, size_t i) {
    return static_cast<CDASChannel*>(inst.DasChannels().At(i));
}

} // namespace

TEST(DASArchive, FieldOrderAndByteExactRoundTrip) {
    TestApp app;
    CNetworkConfiguration::RegisterClasses();
    RegisterDASClasses();
    auto& inst = *new CInstrumentConnection; // the application owns it
    inst.SetName("T400");
    app->Instruments().AddTail(&inst);
    FillInstrument(inst);
    auto* ch = Channel(inst, 0);
    ch->GetSelection().SetType(5);
    ch->SetLastDownloadTime(1700000000);
    ch->SetDownloaded(true);
    ch->SetExpanded(true);
    ch->SetFile("F1");
    ch->SetAutoDownloadFile("/data/c1.txt");
    ch->GetParameter(0)->AddRecord(CDataRecord(1.5, 1, 5, true)); // records are not archived
    ch->GetParameter(0)->SetSetNumber(9);

    // The channel alone, against its fields written in their order by hand.
    CArchive want;
    want.WriteObjectHeader("CDASChannel", 1);
    want.WriteString("CONC1");
    want.WriteUInt32(0);
    want.WriteCount(2);
    for (auto [name, prec, samples] : {std::tuple{"NOX", 1, true}, std::tuple{"O3", 3, false}}) {
        want.WriteObjectHeader("CDASParameter", 1);
        want.WriteString(name);
        want.WriteUInt32(0);
        want.WriteString(std::string(name) == "NOX" ? "NOx concentration" : "");
        want.WriteBool(false);
        want.WriteString("AVG");
        want.WriteInt32(prec);
        want.WriteBool(samples);
        want.WriteBool(samples);
    }
    const CSelectionSet& sel = ch->GetSelection();
    for (uint32_t v : {5u, sel.GetStart(), sel.GetEnd(), 1u, 1u, 1u, 1u, 1u, 1u})
        want.WriteUInt32(v);
    want.WriteString("ATIMER");
    want.WriteString("F1");
    want.WriteString("/data/c1.txt");
    for (uint32_t v : {800u, DateTime(2024, 3, 5).GetSeconds(), 300u, 93600u, 1700000000u, 86400u})
        want.WriteUInt32(v);
    for (bool b : {false, false, true, false, true, true, false, true})
        want.WriteBool(b);
    // The parameter's description was never refreshed here: fix the expectation up.
    ch->GetParameter(0)->SetDescription("NOx concentration");
    CArchive again;
    again.WriteObject(static_cast<CNamedObject*>(ch));
    EXPECT_EQ(again.Bytes(), want.Bytes());

    // The whole instrument in the configuration file: loaded and stored again, the same bytes.
    const std::vector<uint8_t> bytes = CNetworkConfiguration::SaveStandard(*app);
    TestApp other;
    ASSERT_TRUE(CNetworkConfiguration::LoadStandard(*other, bytes));
    EXPECT_EQ(CNetworkConfiguration::SaveStandard(*other), bytes);
    // The loaded objects point at their loaded owners.
    auto* copy = static_cast<CInstrumentConnection*>(other->Instruments().At(0));
    auto* c0 = Channel(*copy, 0);
    EXPECT_EQ(Channel(*copy, 1)->GetInstrument(), copy);
    EXPECT_EQ(c0->GetParameter(1)->GetChannel(), c0);
    EXPECT_EQ(c0->GetActiveSelection(), &c0->GetSelection());
}

TEST(DASModel, SelectionTypesAndStartTimes) {
    CSelectionSet s;
    for (auto [given, stored] : {std::pair{9, 0}, {-1, 0}, {7, 7}, {0, 0}}) {
        s.SetType(given);
        EXPECT_EQ(s.GetType(), stored) << given;
    }
    // 2024-03-14 (a Thursday) 15:42:10 UTC.
    const uint32_t now = DateTime(2024, 3, 14, 15, 42, 10).GetSeconds();
    struct Row {
        int type, count;
        DateTime start;
    } rows[] = {
        {3, 1, DateTime(2024, 3, 14, 15)}, {3, 24, DateTime(2024, 3, 13, 16)},
        {4, 1, DateTime(2024, 3, 14)},     {4, 366, DateTime(2023, 3, 15)},
        {5, 1, DateTime(2024, 3, 10)},     {5, 2, DateTime(2024, 3, 3)},
        {6, 1, DateTime(2024, 3, 1)},      {6, 12, DateTime(2023, 4, 1)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << r.type << " count " << r.count);
        s.SetType(r.type);
        s.SetHours(r.count);
        s.SetDays(r.count);
        s.SetWeeks(r.count);
        s.SetMonths(r.count);
        EXPECT_EQ(s.GetStartTime(now), r.start.GetSeconds());
    }
    s.SetType(3);
    s.SetHours(24);
    EXPECT_EQ(s.GetStartTime(3600 * 5), 0u); // not enough hours since the epoch
    s.SetType(5);
    s.SetWeeks(3);
    EXPECT_EQ(s.GetStartTime(1000), 259200u);
}

TEST(DASModel, CloneKeepsItsOwnSelectionAndTexts) {
    CInstrumentConnection inst;
    FillInstrument(inst);
    CDASChannel* ch = Channel(inst, 0);
    ch->GetParameter(0)->AddRecord(CDataRecord(2, 1, 0, true));
    ch->GetParameter(0)->SetSetNumber(4);
    std::unique_ptr<CDASChannel> dup(static_cast<CDASChannel*>(ch->Clone()));
    EXPECT_EQ(dup->GetActiveSelection(), &dup->GetSelection());
    EXPECT_EQ(dup->GetParameter(0)->GetChannel(), dup.get());
    EXPECT_EQ(dup->GetParameter(0)->GetRecordCount(), 0u);

    EXPECT_EQ(ch->GetText(0), "CONC1, ATIMER, 800 Records Maximum");
    EXPECT_EQ(ch->GetText(TEXT_NAME_ONLY), "CONC1");
    ch->GetParameter(0)->RefreshDescription();
    EXPECT_EQ(ch->GetParameter(0)->GetText(0), "NOX (NOx concentration), AVG, Set 4, 1 Records");
    // No data point of that name: the description stays.
    ch->GetParameter(1)->SetDescription("kept");
    ch->GetParameter(1)->RefreshDescription();
    EXPECT_EQ(ch->GetParameter(1)->GetDescription(), "kept");
    EXPECT_EQ(ch->GetRecordSize(), 6 + 8 + 4);
}

TEST(DASModel, AutoDownloadDue) {
    CDASChannel ch;
    ch.SetAutoDownloadPeriod(TimeSpan(0, 1, 0, 0));
    struct Row {
        bool downloaded;
        uint32_t last, now;
        bool due;
    } rows[] = {{false, 5000, 10, true},
                {true, 5000, 8599, false},
                {true, 5000, 8600, true},
                {true, 5000, 4000, false}};
    for (const Row& r : rows) {
        ch.SetDownloaded(r.downloaded);
        ch.SetLastDownloadTime(r.last);
        EXPECT_EQ(ch.IsAutoDownloadDue(r.now), r.due) << r.last << " " << r.now;
    }
}

TEST(DASScript, BuildsTheScriptByteForByte) {
    CInstrumentConnection inst;
    FillInstrument(inst);
    inst.SetCapabilities(CAP_NEW_DAS);
    EXPECT_EQ(BuildDASScript(inst, TEXT_SCRIPT), kScript);
    inst.SetCapabilities(0);
    std::string without = kScript;
    without.erase(without.find(" storesamples"), 13);
    EXPECT_EQ(BuildDASScript(inst, TEXT_SCRIPT), without);
}

TEST(DASScript, ReadErrorsNameTheOffendingTokenAndLine) {
    const std::string head = "dasbegin\r\n channelbegin\r\n name \"A\"\r\n";
    const struct {
        std::string text;
        std::string token; // empty: the script loads
        int line;
    } rows[] = {
        {head + " startdate 2/29/2004\r\n channelend\r\ndasend\r\n", "", 0},
        {head + " startdate 13/1/2004\r\n channelend\r\ndasend\r\n", "13", 4},
        {head + " sampleperiod 000:24:00\r\n channelend\r\ndasend\r\n", "24", 4},
        {head + " records\r\n channelend\r\ndasend\r\n", "channelend", 5},
        {head + " status maybe\r\n channelend\r\ndasend\r\n", "maybe", 4},
        {head + " paramlistbegin\r\n parameter \"X\" SUM 1\r\n", "SUM", 5},
        {head + " channelend\r\ndasend\r\nmore\r\n", "more", 6},
        {head + " channelend\r\n", "<end of file>", 4},
        {"das\r\n", "das", 1},
        {"dasbegin\r\nchannelbegin name \"A\" channelend\r\nchannelbegin records x\r\n", "x", 3},
    };
    const std::string path = Dir() / "script.txt";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        CInstrumentConnection inst;
        FillInstrument(inst); // a failed load leaves neither these nor a part of the script
        WriteAll(path, r.text);
        std::string error;
        EXPECT_EQ(LoadDASScriptFile(inst, path, error), r.token.empty());
        if (r.token.empty()) {
            EXPECT_EQ(Channel(inst, 0)->GetStartDate(), DateTime(2004, 2, 29));
            continue;
        }
        EXPECT_EQ(inst.DasChannels().GetCount(), 0u);
        EXPECT_EQ(error, "Syntax error encountered at '" + r.token + "', on line " +
                             std::to_string(r.line) + " of DAS configuration script file " + path +
                             ". File not loaded.");
    }
}

TEST(DASScript, LoadAndSaveFiles) {
    CInstrumentConnection inst;
    inst.SetName("T400");
    inst.SetSerialNumber("123");
    const fs::path good = Dir() / "good.txt";
    WriteAll(good, kScript);
    std::string error;
    inst.SetDasModified(true);
    EXPECT_TRUE(LoadDASScriptFile(inst, good, error));
    EXPECT_EQ(inst.DasChannels().GetCount(), 2u);
    EXPECT_FALSE(inst.GetDasModified());

    EXPECT_FALSE(LoadDASScriptFile(inst, Dir() / "none.txt", error));
    EXPECT_EQ(error, "Unable to load DAS configuration script file " +
                         (Dir() / "none.txt").string() + ".");

    // Saving replaces the file whole; a folder that does not exist fails with 61211.
    const fs::path out = Dir() / ProposedDASScriptName(inst);
    EXPECT_EQ(out.filename(), "T400-123 DAS Configuration.txt");
    WriteAll(out, std::string(5000, 'x'));
    EXPECT_TRUE(SaveDASScriptFile(inst, out, error));
    EXPECT_EQ(ReadAll(out), BuildDASScript(inst, TEXT_SCRIPT));
    const fs::path nowhere = Dir() / "no" / "x.txt";
    EXPECT_FALSE(SaveDASScriptFile(inst, nowhere, error));
    EXPECT_EQ(error, "Unable to save DAS configuration file " + nowhere.string() + ".");
    for (const auto& entry : fs::directory_iterator(Dir())) // no temporary file left
        EXPECT_EQ(entry.path().string().find(out.string() + "."), std::string::npos);
}

TEST(DASDataFile, NewReplacedAndAppendedFiles) {
    CInstrumentConnection inst;
    inst.SetName("T400");
    inst.SetSerialNumber("55");
    FillInstrument(inst);
    CDASChannel* ch = Channel(inst, 0);
    ch->GetParameter(0)->SetDescription("NOx concentration");
    const uint32_t t0 = DateTime(2024, 1, 2, 3, 4, 0).GetSeconds();
    for (int i = 0; i < 8; ++i) {
        ch->GetParameter(0)->AddRecord(CDataRecord(1.25 + i, 10 + i, t0 + 60 * i, true));
        if (i < 2)
            ch->GetParameter(1)->AddRecord(i ? CDataRecord(0, 0, t0 + 60, false)
                                             : CDataRecord(-0.5, 1, t0, true));
    }
    ch->GetParameter(0)->SetSetNumber(3);
    ch->GetParameter(1)->SetSetNumber(3);
    // Records of another download stay out of the set.
    AddParameter(*ch, "OLD", 0)->AddRecord(CDataRecord(1, 1, t0, true));
    ch->SetSelected(true);
    CDataRecordSet set(20);
    ch->FillRecordSet(set);
    EXPECT_FALSE(set.GetRecord(set.GetRows(), 0));
    CDataRecordSet one(1);
    EXPECT_TRUE(one.Add(ch->GetParameter(0)));
    EXPECT_FALSE(one.Add(ch->GetParameter(1))) << "no room left";
    const fs::path path = Dir() / ProposedDataFileName(set, DateTime(2024, 5, 6));
    EXPECT_EQ(path.filename(), "T400-55-CONC1-NOX-20240506-3.txt");

    WriteAll(path, "old contents that are longer than what replaces them\r\n");
    ASSERT_TRUE(SaveRecordSet(set, path, false, true));
    const std::string block = "2024/01/02,03:04,1.2       ,         10,-0.500    \r\n"
                              "2024/01/02,03:05,2.2       ,         11,0.000     \r\n";
    EXPECT_EQ(ReadAll(path), "Date,Time,NOX (NOx concentration),Samples,O3\r\n" + block);
    ASSERT_TRUE(SaveRecordSet(set, path, true, false));
    ASSERT_TRUE(SaveRecordSet(set, path, true, false));
    const std::string appended = "2024/01/02,03:04,1.2       , -0.500    \r\n"
                                 "2024/01/02,03:05,2.2       , 0.000     \r\n";
    EXPECT_EQ(ReadAll(path),
              "Date,Time,NOX (NOx concentration),Samples,O3\r\n" + block + appended + appended);

    // Appending to a file that is not there writes a new one with its header.
    const fs::path fresh = Dir() / "fresh.txt";
    ASSERT_TRUE(SaveRecordSet(set, fresh, true, false));
    EXPECT_EQ(ReadAll(fresh).substr(0, 34), "Date,Time,NOX (NOx concentration),");

    std::string error;
    EXPECT_FALSE(
        SaveRecordSet(set, Dir() / "no" / "x.txt", false, false, nullptr, nullptr, &error));
    EXPECT_EQ(error, "Error writing file " + (Dir() / "no" / "x.txt").string() + ".");
    CDataRecordSet empty;
    EXPECT_FALSE(SaveRecordSet(empty, path, false, false));
}

TEST(DASDataFile, RecordTexts) {
    const CDataRecord r(12.3456, 42, DateTime(2023, 12, 31, 23, 59, 58).GetSeconds(), true);
    struct Row {
        unsigned flags;
        int precision;
        std::string text;
    } rows[] = {
        {REC_TIME_LONG, 0, "12/31/2023 23:59:58"},
        {REC_TIME_DAY, 0, "365:23:59"},
        {REC_DATE_TIME | REC_VALUE, 2, "2023/12/31,23:59,12.35     "},
        {REC_LABEL, 0, "31-DEC,23:59"},
        {REC_VALUE | REC_SAMPLES, 1, "12.3      ,         42"},
        {REC_SAMPLES, 0, "        42"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(r.GetText(row.flags, row.precision), row.text) << row.flags;
    // Values and sample counts come out as printf writes them, whatever the precision.
    for (double v : {0.0, -0.5, 2.5, 0.125, 1e10, -123.456789, 0.0005, 1e300, -1e-300})
        for (int precision : {-1, 0, 1, 3, 4, 12}) {
            char want[512];
            std::snprintf(want, sizeof want, ",%-10.*f, %10ld", precision, v, -42L);
            EXPECT_EQ(CDataRecord(v, -42, 0, true).GetText(REC_VALUE | REC_SAMPLES, precision),
                      std::string(want).substr(1))
                << v << " " << precision;
        }
}
