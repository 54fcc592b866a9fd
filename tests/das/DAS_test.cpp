// The DAS model, its archive form, the script and the data file writer; the exchanges against a
// scripted transport: the wire, the progress messages, and the lists and records they leave.

#include "DASTestUtil.h"
#include "app/NetworkConfiguration.h"
#include "das/DASScript.h"
#include "das/DataFileWriter.h"
#include "das/DataRecordSet.h"
#include "das/HexRecordReader.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/Archive.h"
#include "platform/LinkClock.h"
#include "support/DateFormat.h"
#include "support_lib/ScriptedLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace dastest;

namespace {

CDASChannel* Channel(CInstrumentConnection& inst, size_t i) {
    return static_cast<CDASChannel*>(inst.DasChannels().At(i));
}

// A command as it goes out: an attention byte, the text, a line end.
std::string Cmd(const std::string& text) {
    return "\x03" + text + "\r\n";
}

struct Value {
    float value;
    int32_t samples; // -1: a parameter that stores no samples
};

void PutLe(std::string& bytes, uint32_t v, int n = 4) {
    for (int i = 0; i < n; ++i)
        bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string HexDigits(const std::string& bytes) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes)
        out += {d[c >> 4], d[c & 15]};
    return out;
}

// One record line: time, then per parameter [samples] value; with a CRC (new form) or with
// a marker and a checksum (old form).
std::string HexLine(uint32_t time, const std::vector<Value>& values, bool crc = true) {
    std::string bytes;
    PutLe(bytes, time);
    for (const Value& v : values) {
        if (v.samples >= 0)
            PutLe(bytes, static_cast<uint32_t>(v.samples));
        uint32_t bits;
        std::memcpy(&bits, &v.value, 4);
        PutLe(bytes, bits);
    }
    if (crc) {
        PutLe(bytes,
              CHexRecordReader::Crc16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
              2);
        return HexDigits(bytes) + "\r\n";
    }
    std::string line = "H" + HexDigits(bytes);
    uint8_t sum = 0;
    for (unsigned char c : line)
        sum = static_cast<uint8_t>(sum + c);
    return line + HexDigits(std::string(1, static_cast<char>(-sum))) + "\r\n";
}

std::string Date245(uint32_t t) {
    return Format(DateTime(t), DATE_FMT_MMDDYYYY_HHMMSS).str();
}

class DASExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        inst = ConnectedInstrument(app, link, 2000);
        ch = Channel(*inst, 0);
    }
    CDASParameter* P(size_t i) const { return ch->GetParameter(i); }

    TestApp app;
    ScriptedLink& link = *new ScriptedLink; // the site owns it
    RecordingTarget window;
    CInstrumentConnection* inst = nullptr;
    CDASChannel* ch = nullptr;
};

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
        want.WriteString(""); // the description
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
    // 2024-03-14 (a Thursday) 15:42:10 UTC.
    const uint32_t now = DateTime(2024, 3, 14, 15, 42, 10).GetSeconds();
    const DateTime epoch(1970, 1, 1);
    struct Row {
        int type, count;
        uint32_t now;
        DateTime start;
    } rows[] = {
        {3, 24, now, DateTime(2024, 3, 13, 16)},
        {4, 366, now, DateTime(2023, 3, 15)},
        {5, 1, now, DateTime(2024, 3, 10)},
        {5, 2, now, DateTime(2024, 3, 3)},
        {6, 12, now, DateTime(2023, 4, 1)},
        // Too few periods since the epoch; weeks start on the first Sunday, 1970-01-04.
        {3, 24, 3600 * 5, epoch},
        {5, 3, 1000, DateTime(1970, 1, 4)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << r.type << " count " << r.count);
        s.SetType(r.type);
        s.SetHours(r.count);
        s.SetDays(r.count);
        s.SetWeeks(r.count);
        s.SetMonths(r.count);
        EXPECT_EQ(s.GetStartTime(r.now), r.start.GetSeconds());
    }
    s.SetType(8); // unknown: all records, from no start
    EXPECT_EQ(s.GetType(), CSelectionSet::SEL_ALL);
    EXPECT_EQ(s.GetStartTime(), 0u);
}

TEST(DASModel, AutoDownloadDue) {
    CDASChannel ch;
    ch.SetAutoDownloadPeriod(TimeSpan(0, 1, 0, 0));
    ch.SetLastDownloadTime(5000);
    // The last download at 5000, an hour between downloads; a clock set back waits.
    // clang-format off
    const struct { bool downloaded; uint32_t now; bool due; } rows[] = {
        {false, 10, true}, {true, 8599, false}, {true, 8600, true}, {true, 4000, false}};
    // clang-format on
    for (const auto& r : rows) {
        ch.SetDownloaded(r.downloaded);
        EXPECT_EQ(ch.IsAutoDownloadDue(r.now), r.due) << r.downloaded << " " << r.now;
    }
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
    inst.SetCapabilities(CAP_NEW_DAS);
    FillInstrument(inst);
    const std::string script = BuildDASScript(inst, TEXT_SCRIPT);
    const fs::path good = Dir() / "good.txt";
    WriteAll(good, script);
    std::string error;
    inst.SetDasModified(true);
    EXPECT_TRUE(LoadDASScriptFile(inst, good, error));
    EXPECT_EQ(BuildDASScript(inst, TEXT_SCRIPT), script) << "every field read back";
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

TEST(DASDataFile, RecordSetReplacesAnOlderFile) {
    CInstrumentConnection inst;
    FillInstrument(inst);
    CDASChannel* ch = Channel(inst, 0);
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
    EXPECT_EQ(set.GetParameter(set.GetCount()), nullptr);
    CDataRecordSet one(1);
    EXPECT_TRUE(one.Add(ch->GetParameter(0)));
    EXPECT_FALSE(one.Add(ch->GetParameter(1))) << "no room left";

    const fs::path path = Dir() / "data.txt";
    WriteAll(path, "old contents that are longer than what replaces them\r\n");
    ASSERT_TRUE(SaveRecordSet(set, path, false, true));
    EXPECT_EQ(ReadAll(path), "Date,Time,NOX,Samples,O3\r\n"
                             "2024/01/02,03:04,1.2       ,         10,-0.500    \r\n"
                             "2024/01/02,03:05,2.2       ,         11,0.000     \r\n");
    std::string error;
    EXPECT_FALSE(
        SaveRecordSet(set, Dir() / "no" / "x.txt", false, false, nullptr, nullptr, &error));
    EXPECT_EQ(error, "Error writing file " + (Dir() / "no" / "x.txt").string() + ".");
}

TEST(DASDataFile, RecordTexts) {
    // The time and label forms are read off the data windows.
    const uint32_t t = DateTime(2023, 12, 31, 23, 59, 58).GetSeconds();
    EXPECT_EQ(CDataRecord(1, 1, t, true).GetText(REC_TIME_DAY, 0), "365:23:59");
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

TEST_F(DASExchangeTest, FetchFormsRangesAndFailures) {
    // The lists: noise is passed over, a line of a listed kind out of form ends the list.
    link.On(Cmd("d records"), "D 001:00:00 0000 CONC1 RECORDS = 5\r\nnoise\r\n"
                              "D 001:00:00 0000 CAL RECORDS = 0\r\n\r\n");
    link.On(Cmd("d event"), "EVENT MED EXITZR 2\r\nD 001:00:00 0000 TIMEREVENT LOW ATIMER 1\r\n"
                            "junk\r\nEVENT LOW\r\nEVENT LOW LOST 3\r\n");
    link.On(Cmd("d parameter"), "D 001:00:00 0000 DATAPOINT LOW NOX 7 \"NOx conc\"\r\n\r\n");
    inst->SetCapabilities(CAP_NEW_DAS);
    const std::string own = BuildDASScript(*inst, TEXT_SCRIPT);
    const uint32_t lists = CAP_DAS_RECORDS | CAP_DAS_EVENT_PARAM;
    // The listing form, as an instrument without the script form prints its channels.
    const std::string listing =
        "SETUP PROPERTIES FOR CONC1:\r\nNAME: CONC1\r\nEVENT: ATIMER\r\n"
        "STARTING DATE: 05-MAR-2024\r\nSAMPLE PERIOD: 000:00:05\r\n"
        "REPORT PERIOD: 001:00:00\r\nFILE NAME: \"DAS1.DAT\"\r\n"
        "NUMBER OF RECORDS: 800\r\nRS-232 REPORT: ON\r\n"
        "COMPACT REPORT: OFF\r\nCHANNEL ENABLED: ON\r\nCAL. HOLD OFF: ON\r\n"
        "PARAMETERS: 2\r\n"
        "PARAMETER=NOX, MODE=AVG, PRECISION=1, STORE_SAMPLES=ON\r\n"
        "PARAMETER=O3, MODE=INST, PRECISION=2\r\n"
        "SETUP PROPERTIES FOR CAL\r\nFILE NAME: plain name\r\nPARAMETERS: 1\r\n"
        "PARAMETER=NOX, MODE=MAX, PRECISION=0, NOTE=whatever\r\n";
    const std::string badSamples = "SETUP PROPERTIES FOR X\r\nPARAMETERS: 1\r\n"
                                   "PARAMETER=A, MODE=AVG, PRECISION=1, STORE_SAMPLES=MAYBE\r\n";
    const std::string script = Cmd("d print script &");
    const std::string twoChannels =
        "dasbegin\r\nchannelbegin name \"A\" channelend\r\nchannelbegin records x\r\n";
    struct Row {
        uint32_t caps;
        std::string command, reply;
        bool ok;
        uintptr_t range; // the records lines and the two lists, or 20 without a count
        size_t channels;
    } rows[] = {
        // clang-format off
        {lists | CAP_DAS_SCRIPT | CAP_NEW_DAS, script, own, true, 4, 2},
        {CAP_DAS_SCRIPT, script, "dasbegin\r\ndasend\r\n", true, 20, 0},
        {CAP_DAS_SCRIPT, script, "channelbegin\r\n", false, 20, 0},
        {CAP_DAS_SCRIPT, script, twoChannels, false, 20, 1},
        {0, Cmd("d print"), badSamples, false, 20, 0},
        {lists, Cmd("d print"), listing, true, 4, 2},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.reply);
        RecordingTarget w;
        inst->SetCapabilities(r.caps);
        link.On(r.command, r.reply, 1);
        inst->SetDasModified(true);
        EXPECT_EQ(FetchDASConfiguration(*inst, &w), r.ok);
        EXPECT_EQ(link.Writes().back(), r.command);
        EXPECT_EQ(w.Messages().front().wParam, r.range);
        EXPECT_EQ(w.Count(DASM_STEP), r.channels + ((r.caps & lists) ? 2 : 0));
        EXPECT_EQ(w.Messages().back().message, r.ok ? DASM_FETCH_OK : DASM_FETCH_FAILED);
        EXPECT_EQ(inst->DasChannels().GetCount(), r.channels);
        EXPECT_EQ(inst->GetDasModified(), !r.ok);
    }
    EXPECT_EQ(inst->DasEvents().GetCount(), 2u);
    EXPECT_EQ(inst->DasPoints().GetCount(), 1u);
    // What the last row's listing set; the description comes from the data point.
    auto* conc1 = static_cast<CDASChannel*>(inst->DasChannels().At(0));
    auto* cal = static_cast<CDASChannel*>(inst->DasChannels().At(1));
    EXPECT_EQ(conc1->GetStartDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(conc1->GetFile(), "DAS1.DAT");
    EXPECT_EQ(conc1->GetRecords(), 800);
    EXPECT_TRUE(conc1->GetPrintReports() && conc1->GetHoldOff() && !conc1->GetCompactReports());
    EXPECT_TRUE(conc1->GetParameter(0)->GetInstrumentStoresSamples());
    EXPECT_EQ(conc1->GetParameter(0)->GetDescription(), "NOx conc");
    EXPECT_EQ(conc1->GetParameter(1)->GetMode(), "INST");
    EXPECT_EQ(cal->GetFile(), "plain name");
    EXPECT_EQ(cal->GetParameter(0)->GetMode(), "MAX");
    inst->SetConnected(false);
    RecordingTarget w;
    EXPECT_FALSE(FetchDASConfiguration(*inst, &w));
    EXPECT_EQ(w.Messages().size(), 1u);
}

TEST_F(DASExchangeTest, SendWritesTheScriptLineByLine) {
    inst->SetCapabilities(CAP_DAS_EVENT_PARAM | CAP_NEW_DAS);
    P(0)->SetInstrumentStoresSamples(false);
    const std::string script = BuildDASScript(*inst, TEXT_SCRIPT);
    std::vector<std::string> lines;
    for (size_t at = 0; at < script.size();) {
        const size_t end = script.find('\n', at) + 1;
        lines.push_back(script.substr(at, end - at));
        at = end;
    }
    link.Feed("stale input\r\n"); // discarded before the script goes out
    link.On("dasend\r\n", "D 001:00:00 0000 New DAS configuration stored.\r\n", 1);
    inst->SetDasModified(true);
    ASSERT_TRUE(SendDASConfiguration(*inst, &window));
    EXPECT_EQ(link.Writes(), lines);
    EXPECT_EQ(window.Messages().front().wParam, lines.size());
    EXPECT_EQ(window.Count(DASM_STEP), lines.size());
    EXPECT_EQ(window.Messages().back().message, DASM_SEND_OK);
    EXPECT_TRUE(P(0)->GetInstrumentStoresSamples());
    EXPECT_FALSE(inst->GetDasModified());
    // No confirmation: failed, and still modified.
    inst->SetDasModified(true);
    EXPECT_FALSE(SendDASConfiguration(*inst, &window));
    EXPECT_TRUE(inst->GetDasModified());
}

TEST_F(DASExchangeTest, HexDownloadCommandsAndRecords) {
    const uint32_t t0 = 1700000000;
    const uint32_t caps = CAP_DAS_HEX | CAP_NEW_DAS | CAP_DAS_RECORDS | CAP_DAS_FROM_TO;
    const std::string good1 = HexLine(t0, {{1.5f, 3}, {2.5f, -1}});
    const std::string good2 = HexLine(t0 + 60, {{NAN, 4}, {7.0f, -1}});
    std::string badCrc = good1;
    badCrc[10] = badCrc[10] == '0' ? '1' : '0';
    const std::string shortLine = good1.substr(0, 30) + "\r\n";
    const std::string longLine = std::string(150, '0') + good1; // over 182 bytes in all
    const std::string reply = good1 + badCrc + shortLine + longLine + good2;
    struct Row {
        int type;
        bool useDates, downloadedBefore;
        std::string options;
        size_t records;
        double first;
    } rows[] = {
        {0, true, false, " hex", 2, 2.5},
        {2, true, false, " records=20 hex", 2, 2.5},
        {1, true, false, " hex", 2, 2.5},
        {1, true, true, " from=" + Date245(t0 + 1) + " hex", 1, 7},
        {1, false, true, " hex", 1, 7},
        {7, false, false, " hex", 1, 2.5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options);
        inst->SetCapabilities(caps);
        CSelectionSet sel;
        sel.SetType(r.type);
        sel.SetRecords(50);
        sel.SetStart(t0 - 5);
        sel.SetEnd(t0 + 5);
        sel.SetUseInstrumentDateSelection(r.useDates);
        ch->SetActiveSelection(&sel);
        ch->SetDownloaded(r.downloadedBefore);
        ch->SetLastDownloadTime(t0);
        ch->SetSelected(false);
        P(1)->SetSelected(true); // NOX is passed over but its bytes still count
        link.ClearWrites();
        link.On(Cmd("d records \"CONC1\""), "D 001:00:00 0000 CONC1 RECORDS = 20\r\n\r\n", 1);
        const std::string command = Cmd("d report \"CONC1\"" + r.options);
        link.On(command, reply, 1);
        RecordingTarget w;
        ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &w));
        EXPECT_EQ(link.Writes(), (std::vector<std::string>{Cmd("d records \"CONC1\""), command}));
        EXPECT_EQ(w.Messages().front().message, DASM_DOWNLOAD_START);
        EXPECT_EQ(w.Messages().front().wParam, 20u); // as the instrument counted them
        EXPECT_EQ(w.Count(DASM_STEP), 2u);           // the bad lines give no step
        ASSERT_EQ(P(1)->GetRecordCount(), r.records);
        EXPECT_EQ(P(0)->GetRecordCount(), 0u);
        EXPECT_EQ(P(1)->GetRecord(0)->GetValue(), r.first);
        EXPECT_TRUE(ch->GetDownloaded());
        EXPECT_NE(ch->GetLastDownloadTime(), t0);
        ch->SetActiveSelection(nullptr);
    }
    // Both parameters: samples where stored; a NaN value is an invalid record.
    ch->SetSelected(true);
    link.On(Cmd("d report \"CONC1\" hex"), reply, 1);
    inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS);
    ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &window));
    ASSERT_EQ(P(0)->GetRecordCount(), 2u);
    EXPECT_EQ(P(0)->GetRecord(0)->GetSamples(), 3);
    EXPECT_EQ(P(1)->GetRecord(0)->GetSamples(), 1);
    EXPECT_FALSE(P(0)->GetRecord(1)->IsValid());
}

// CRC-16/CCITT-FALSE: its published check value, and odd and even lengths around it.
TEST(DASHexRecords, CrcCheckValues) {
    const std::pair<const char*, uint16_t> rows[] = {
        {"", 0xFFFF}, {"A", 0xB915}, {"12345678", 0xA12B}, {"123456789", 0x29B1}};
    for (const auto& [text, crc] : rows)
        EXPECT_EQ(
            CHexRecordReader::Crc16(reinterpret_cast<const uint8_t*>(text), std::strlen(text)), crc)
            << '"' << text << '"';
}

TEST_F(DASExchangeTest, OldChecksumFormAndEmptyChannel) {
    inst->SetCapabilities(CAP_DAS_HEX | CAP_DAS_RECORDS);
    P(0)->SetInstrumentStoresSamples(false);
    ch->SetSelected(true);
    std::string bad = HexLine(5, {{1, -1}, {2, -1}}, false);
    bad[3] = bad[3] == 'F' ? 'E' : 'F';
    link.On(Cmd("d records \"CONC1\""), "D 001:00:00 0000 conc1 RECORDS = 0\r\n", 1);
    ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &window));
    EXPECT_EQ(link.Writes().size(), 1u); // nothing stored: no report asked for
    link.On(Cmd("d report \"CONC1\" hex"), HexLine(5, {{1, -1}, {2, -1}}, false) + bad, 1);
    inst->SetCapabilities(CAP_DAS_HEX);
    // As the window asks; the second handle names a channel that is gone and is passed over.
    InstrumentRequest request;
    request.window = &window;
    request.channels = {ch->GetHandle(), 0xFFFFFFFFu};
    CInstrumentRequestHandler::Handle(MSG_DOWNLOAD_DAS_RECORDS, *inst, 0, &request);
    EXPECT_EQ(window.Messages().back().message, DASM_DOWNLOAD_OK);
    ASSERT_EQ(P(1)->GetRecordCount(), 1u);
    EXPECT_EQ(P(1)->GetRecord(0)->GetValue(), 2.0);
}

TEST_F(DASExchangeTest, BrokenLinkFailsAndKeepsTheLastDownloadTime) {
    inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS | CAP_DAS_FROM_TO);
    ch->SetSelected(true);
    ch->GetSelection().SetType(1);
    const std::string line = HexLine(5000, {{1, 1}, {2, -1}});
    const std::string command = Cmd("d report \"CONC1\" from=" + Date245(1001) + " hex");
    struct Row {
        const char* name;
        std::string reply;
        bool breaks, ok;
    } rows[] = {
        {"a quiet end", line + line.substr(0, 10), false, true},
        {"cut in the middle of a line", line + line.substr(0, 10), true, false},
        {"the peer closed after a whole line", line, true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ch->SetDownloaded(true);
        ch->SetLastDownloadTime(1000);
        link.breakWhenDry = r.breaks;
        link.On(command, r.reply, 1);
        RecordingTarget w;
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, &w), r.ok);
        EXPECT_EQ(w.Messages().back().message, r.ok ? DASM_DOWNLOAD_OK : DASM_DOWNLOAD_FAILED);
        EXPECT_EQ(ch->GetLastDownloadTime() == 1000, !r.ok) << "a failed one is asked for again";
        EXPECT_EQ(P(0)->GetRecordCount(), 1u); // what arrived stays
    }
}

TEST_F(DASExchangeTest, CompactRecordsAcrossTheNewYear) {
    inst->SetCapabilities(0);
    ch->SetSelected(true);
    link.On(Cmd("v curr_date"), "V 001:00:05 0000 CURR_DATE = 01/01/2025\r\n");
    constexpr double kInvalid = -1e9; // an invalid record's value in the rows
    // Without the instrument's date selection the range is applied once the reply is in.
    CSelectionSet between;
    between.SetType(7);
    between.SetStart(DateTime(2025, 1, 1, 0, 2).GetSeconds());
    between.SetEnd(DateTime(2025, 1, 1, 0, 3).GetSeconds());
    between.SetUseInstrumentDateSelection(false);
    struct Row {
        std::string reply;
        bool ok;
        std::vector<std::pair<DateTime, double>> nox; // time and value
        size_t o3;
        CSelectionSet* selection = nullptr;
    } rows[] = {
        // clang-format off
        {"D 365:23:00 0000 CONC1: 1 1.5 X\r\nD 001:00:01 0000 CONC1: 1 2.5\r\n"
         "D 001:00:01 0000 CONC1: 2 3\r\n\r\n", true,
         {{DateTime(2024, 12, 31, 23, 0), 1.5}, {DateTime(2025, 1, 1, 0, 1), 2.5}}, 2},
        {"D 001:00:02 0000 CONC: 1 2 BAD 5\r\nD 001:00:03 0000 CONC1: 1 x 4 9 9\r\n", true,
         {{DateTime(2025, 1, 1, 0, 2), 2}, {DateTime(2025, 1, 1, 0, 3), kInvalid}}, 1},
        // A record at the same time as the one after it also goes a year back.
        {"D 001:00:01 0000 CONC1: 1 1\r\nD 001:00:01 0000 CONC1: 1 2\r\n", true,
         {{DateTime(2024, 1, 1, 0, 1), 1}, {DateTime(2025, 1, 1, 0, 1), 2}}, 0},
        {"D 001:00:02 0000 CAL: 1 2\r\n", false, {}, 0},
        {"D 001:00:02 0000 CONC1: 1 2 , 3\r\n", false, {{DateTime(2025, 1, 1, 0, 2), 2}}, 0},
        {"D 001:00:01 0000 CONC1: 1 1\r\nD 001:00:02 0000 CONC1: 1 2\r\n"
         "D 001:00:04 0000 CONC1: 1 4\r\n", true, {{DateTime(2025, 1, 1, 0, 2), 2}}, 0, &between},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.reply);
        ch->SetActiveSelection(r.selection);
        link.On(Cmd("d report \"CONC1\" compact"), r.reply, 1);
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, &window), r.ok);
        std::vector<std::pair<DateTime, double>> nox;
        for (const CDataRecord& rec : P(0)->Records())
            nox.emplace_back(DateTime(rec.GetTime()), rec.IsValid() ? rec.GetValue() : kInvalid);
        EXPECT_EQ(nox, r.nox);
        EXPECT_EQ(P(1)->GetRecordCount(), r.o3);
    }
    ch->SetActiveSelection(nullptr);
}

// A download against peers that never stop or never answer, on a link clock moved by the peer:
// a cancel, a closed link (even in a from= report's long first wait) or the deadline ends it.

namespace {

LinkClock::TimePoint g_now;
constexpr long kTimeout = 2000;
// CONC1 keeps 800 records: the deadline allows the first wait and 2 x 800 + 1000 time-outs.
constexpr long kBound = (2 * 800 + 1001) * 10 / 9 + 1;

struct BoundsRow {
    long lines, stepMs, cancelAt; // after the report: lines records, stepMs apart, then quiet
    bool closes, ok;
    long minSent, maxSent;
    bool compact = false;
};

struct Peer : ScriptedLink {
    explicit Peer(const BoundsRow& row, const char* to = "report",
                  std::string line = "88130000010000000000C03F000020402144\r\n") // with its CRC
        : r(row), untilNext(row.stepMs), answers(to), reply(std::move(line)) {}
    size_t Read(char* buffer, size_t, unsigned timeout, int) override {
        if (Writes().back().find(answers) == std::string::npos)
            return 0;
        SetLinkFailed(r.closes);
        if (r.closes || sent >= r.lines || untilNext > timeout) {
            g_now += std::chrono::milliseconds(timeout);
            untilNext -= timeout;
            return 0;
        }
        g_now += std::chrono::milliseconds(untilNext);
        untilNext = r.stepMs;
        if (++sent == r.cancelAt)
            CancelRead();
        std::memcpy(buffer, reply.data(), reply.size());
        return reply.size();
    }
    // Lines with no time between them have all arrived: those taken without a wait too.
    size_t TakeArrived(char* buffer, size_t max, int terminator) override {
        return r.stepMs == 0 ? Read(buffer, max, 0, terminator) : 0;
    }
    const BoundsRow& r;
    long untilNext, sent = 0;
    const char* answers;
    std::string reply;
};

} // namespace

TEST(DASDownloadBounds, ACancelAClosedLinkOrTheDeadlineEndsIt) {
    const BoundsRow rows[] = {
        {3000, kTimeout / 2, 0, false, true, 3000, 3000},                  // steady and slow
        {1 << 30, kTimeout * 9 / 10, 0, false, false, kBound - 3, kBound}, // trickles
        {1 << 30, 0, 50, false, false, 50, 50},                            // floods, is cancelled
        {0, 0, 0, true, false, 0, 0},                                      // has closed
        {0, 0, 0, true, false, 0, 0, true},                                // the same, compact form
    };
    LinkClock::Set([] { return g_now; },
                   [](unsigned ms) { g_now += std::chrono::milliseconds(ms); });
    for (const BoundsRow& r : rows) {
        SCOPED_TRACE(&r - rows);
        TestApp app;
        Peer& peer = *new Peer(r); // the site owns it
        CInstrumentConnection* inst = dastest::ConnectedInstrument(app, peer, kTimeout);
        inst->SetReceiveTimeout(kTimeout);
        inst->SetCapabilities((r.compact ? 0u : CAP_DAS_HEX | CAP_NEW_DAS) | CAP_DAS_FROM_TO);
        auto* ch = static_cast<CDASChannel*>(inst->DasChannels().At(0));
        ch->SetSelected(true);
        ch->GetSelection().SetType(r.closes ? 1 : 0); // since the last: from=, a minute's wait
        ch->SetDownloaded(true);
        const auto start = g_now;
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, nullptr), r.ok);
        EXPECT_TRUE(peer.sent >= r.minSent && peer.sent <= r.maxSent) << peer.sent;
        EXPECT_TRUE(!r.closes || g_now - start < std::chrono::seconds(1));
        inst->SetStream(nullptr);
        inst->SetSiteInUse(nullptr);
    }
    LinkClock::Set(nullptr, nullptr);
}

// A listing is bounded in time as a download is (the first line's time-out and 1000 more), not
// only by its line count; a listing cut off, by that or by a cancel, fails the whole fetch.
TEST(DASDownloadBounds, AListingEndsAtItsDeadlineOrACancelAsAFailure) {
    const BoundsRow rows[] = {
        {5, kTimeout / 2, 0, false, true, 5, 5},                            // ends in quiet
        {1 << 30, kTimeout * 9 / 10, 0, false, false, 1110, 1001 * 10 / 9}, // trickles
        {1 << 30, 0, 50, false, false, 50, 50},                             // floods, is cancelled
    };
    LinkClock::Set([] { return g_now; },
                   [](unsigned ms) { g_now += std::chrono::milliseconds(ms); });
    for (const BoundsRow& r : rows) {
        SCOPED_TRACE(&r - rows);
        TestApp app;
        Peer& peer = *new Peer(r, "event", "EVENT LOW EXITZR 2\r\n");
        CInstrumentConnection* inst = dastest::ConnectedInstrument(app, peer, kTimeout);
        inst->SetCapabilities(CAP_DAS_EVENT_PARAM);
        EXPECT_EQ(FetchDASConfiguration(*inst, nullptr), r.ok);
        EXPECT_TRUE(peer.sent >= r.minSent && peer.sent <= r.maxSent) << peer.sent;
        EXPECT_EQ(inst->DasEvents().GetCount(), static_cast<size_t>(peer.sent));
        inst->SetStream(nullptr);
        inst->SetSiteInUse(nullptr);
    }
    LinkClock::Set(nullptr, nullptr);
}
