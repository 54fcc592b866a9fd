// The DAS exchanges against a scripted transport: the bytes on the wire, the progress
// messages, and what the instrument's lists and the parameters' records hold afterwards.

#include "DASTestUtil.h"
#include "connections/SiteConnection.h"
#include "das/DASExchange.h"
#include "das/DASScript.h"
#include "das/HexRecordReader.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/CommInstrumentTokenStream.h"
#include "support/DateFormat.h"
#include "support_lib/Fakes.h"
#include "support_lib/ScriptedLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>

using namespace dastest;

namespace {

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
        InstallDAS();
        auto* site = new CSiteConnection;
        site->SetName("North");
        ASSERT_TRUE(site->SetConnection(&link));
        app->Sites().AddTail(site);
        inst = new CInstrumentConnection;
        inst->SetName("T400");
        inst->SetSiteId(site->GetId());
        app->Instruments().AddTail(inst);
        inst->SetSiteInUse(site);
        site->OpenLink(inst);
        inst->SetConnected(true);
        inst->SetStream(std::make_unique<CommInstrumentTokenStream>(link, 2000));
        FillInstrument(*inst);
        ch = static_cast<CDASChannel*>(inst->DasChannels().At(0));
    }
    std::vector<unsigned> Messages() const {
        std::vector<unsigned> out;
        for (const auto& m : window.Messages())
            out.push_back(m.message);
        return out;
    }
    CDASParameter* P(size_t i) const { return ch->GetParameter(i); }

    TestApp app;
    ScriptedLink& link = *new ScriptedLink; // the site owns it
    RecordingTarget window;
    CInstrumentConnection* inst = nullptr;
    CDASChannel* ch = nullptr;
};

} // namespace

TEST_F(DASExchangeTest, FetchScriptFormWithLists) {
    inst->SetCapabilities(CAP_DAS_RECORDS | CAP_DAS_EVENT_PARAM | CAP_DAS_SCRIPT | CAP_NEW_DAS);
    const std::string script = BuildDASScript(*inst, TEXT_SCRIPT);
    link.On(Cmd("d records"), "D 001:00:00 0000 CONC1 RECORDS = 5\r\nnoise\r\n"
                              "D 001:00:00 0000 CAL RECORDS = 0\r\n\r\n");
    link.On(Cmd("d event"), "EVENT MED EXITZR 2\r\nD 001:00:00 0000 TIMEREVENT LOW ATIMER 1\r\n"
                            "junk\r\nEVENT LOW\r\nEVENT LOW LOST 3\r\n");
    link.On(Cmd("d parameter"), "D 001:00:00 0000 DATAPOINT LOW NOX 7 \"NOx conc\"\r\n\r\n");
    link.On(Cmd("d print script &"), script);
    inst->DasChannels().DeleteAll();
    ASSERT_TRUE(FetchDASConfiguration(*inst, &window));
    EXPECT_EQ(link.Writes(),
              (std::vector<std::string>{Cmd("d records"), Cmd("d event"), Cmd("d parameter"),
                                        Cmd("d print script &")}));
    EXPECT_EQ(Messages(), (std::vector<unsigned>{DASM_RANGE, DASM_STEP, DASM_STEP, DASM_STEP,
                                                 DASM_STEP, DASM_FETCH_OK}));
    EXPECT_EQ(window.Messages()[0].wParam, 4u);
    EXPECT_EQ(inst->DasEvents().GetCount(), 2u); // the malformed line ended the list
    EXPECT_EQ(inst->DasPoints().GetCount(), 1u);
    EXPECT_EQ(BuildDASScript(*inst, TEXT_SCRIPT), script);
    // Read back: descriptions from the data points, default periods off the timer event.
    auto* c0 = static_cast<CDASChannel*>(inst->DasChannels().At(0));
    EXPECT_EQ(c0->GetParameter(0)->GetDescription(), "NOx conc");
    EXPECT_TRUE(c0->GetParameter(0)->GetInstrumentStoresSamples());
    EXPECT_EQ(static_cast<CDASChannel*>(inst->DasChannels().At(1))->GetSamplePeriod(),
              TimeSpan(0, 0, 1, 0));
    EXPECT_FALSE(inst->GetDasModified());
}

TEST_F(DASExchangeTest, FetchRangesCommandsAndFailures) {
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
        uintptr_t range;
        size_t channels;
    } rows[] = {
        // clang-format off
        {CAP_DAS_SCRIPT, script, "dasbegin\r\ndasend\r\n", true, 20, 0},
        {CAP_DAS_SCRIPT, script, "channelbegin\r\n", false, 20, 0},
        {CAP_DAS_SCRIPT, script, twoChannels, false, 20, 1},
        {CAP_DAS_SCRIPT, script, "dasbegin\r\ndasend\r\nmore\r\n", false, 20, 0},
        {0, Cmd("d print"), badSamples, false, 20, 0},
        {0, Cmd("d print"), listing, true, 20, 2},
        {CAP_DAS_RECORDS | CAP_DAS_EVENT_PARAM, Cmd("d print"), listing, true, 22, 2},
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
        EXPECT_EQ(w.Messages().back().message, r.ok ? DASM_FETCH_OK : DASM_FETCH_FAILED);
        EXPECT_EQ(inst->DasChannels().GetCount(), r.channels);
        EXPECT_EQ(inst->GetDasModified(), !r.ok);
    }
    // What the last row's listing set.
    auto* conc1 = static_cast<CDASChannel*>(inst->DasChannels().At(0));
    auto* cal = static_cast<CDASChannel*>(inst->DasChannels().At(1));
    EXPECT_EQ(conc1->GetStartDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(conc1->GetFile(), "DAS1.DAT");
    EXPECT_EQ(conc1->GetRecords(), 800);
    EXPECT_TRUE(conc1->GetPrintReports() && conc1->GetHoldOff() && !conc1->GetCompactReports());
    EXPECT_TRUE(conc1->GetParameter(0)->GetStoreSamples());
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
    EXPECT_EQ(Messages().back(), DASM_SEND_OK);
    EXPECT_TRUE(P(0)->GetInstrumentStoresSamples());
    EXPECT_FALSE(inst->GetDasModified());

    // No confirmation: failed, and the flags stay as they were.
    P(0)->SetInstrumentStoresSamples(false);
    inst->SetDasModified(true);
    RecordingTarget w;
    EXPECT_FALSE(SendDASConfiguration(*inst, &w));
    EXPECT_EQ(w.Messages().back().message, DASM_SEND_FAILED);
    EXPECT_FALSE(P(0)->GetInstrumentStoresSamples());
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
        {7, true, false, " from=" + Date245(t0 - 5) + " to=" + Date245(t0 + 5) + " hex", 1, 2.5},
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
        const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
        ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &w));
        EXPECT_EQ(link.Writes(), (std::vector<std::string>{Cmd("d records \"CONC1\""), command}));
        EXPECT_EQ(w.Messages().front().message, DASM_DOWNLOAD_START);
        EXPECT_EQ(w.Messages().front().wParam, 20u); // as the instrument counted them
        EXPECT_EQ(w.Count(DASM_STEP), 2u);           // the bad lines give no step
        ASSERT_EQ(P(1)->GetRecordCount(), r.records);
        EXPECT_EQ(P(0)->GetRecordCount(), 0u);
        EXPECT_EQ(P(1)->GetRecord(0)->GetValue(), r.first);
        EXPECT_TRUE(ch->GetDownloaded());
        EXPECT_GE(ch->GetLastDownloadTime(), before);
        ch->SetActiveSelection(nullptr);
    }
    // Both parameters: samples where stored, a NaN value is an invalid record.
    ch->SetSelected(true);
    link.On(Cmd("d report \"CONC1\" hex"), reply, 1);
    inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS);
    ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &window));
    ASSERT_EQ(P(0)->GetRecordCount(), 2u);
    EXPECT_EQ(P(0)->GetRecord(0)->GetSamples(), 3);
    EXPECT_EQ(P(1)->GetRecord(0)->GetSamples(), 1);
    const CDataRecord nan = *P(0)->GetRecord(1);
    EXPECT_FALSE(nan.IsValid());
    EXPECT_EQ(nan.GetValue(), 0.0);
    EXPECT_EQ(nan.GetSamples(), 0);
    EXPECT_EQ(nan.GetTime(), t0 + 60);
    EXPECT_EQ(P(0)->GetSetNumber(), inst->GetDownloadCounter());
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
    EXPECT_EQ(Messages().back(), DASM_DOWNLOAD_OK);
    ASSERT_EQ(P(1)->GetRecordCount(), 1u);
    EXPECT_EQ(P(1)->GetRecord(0)->GetValue(), 2.0);
}

TEST_F(DASExchangeTest, BrokenLinkFailsAndKeepsTheLastDownloadTime) {
    inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS | CAP_DAS_FROM_TO);
    ch->SetSelected(true);
    ch->GetSelection().SetType(1);
    ch->SetDownloaded(true);
    ch->SetLastDownloadTime(1000);
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
        EXPECT_EQ(ch->GetLastDownloadTime() == 1000, !r.ok);
        EXPECT_EQ(P(0)->GetRecordCount(), 1u); // what arrived stays
        // The next download still asks from the old time.
        EXPECT_TRUE(r.ok || link.Writes().back() == command);
    }
}

TEST_F(DASExchangeTest, CompactRecordsAcrossTheNewYear) {
    inst->SetCapabilities(0);
    ch->SetSelected(true);
    link.On(Cmd("v curr_date"), "V 001:00:05 0000 CURR_DATE = 01/01/2025\r\n");
    struct Row {
        std::string reply;
        bool ok;
        std::vector<std::pair<DateTime, double>> nox; // time and value (NaN: invalid)
        size_t o3;
    } rows[] = {
        // clang-format off
        {"D 365:23:00 0000 CONC1: 1 1.5 X\r\nD 001:00:01 0000 CONC1: 1 2.5\r\n"
         "D 001:00:01 0000 CONC1: 2 3\r\n\r\n", true,
         {{DateTime(2024, 12, 31, 23, 0), 1.5}, {DateTime(2025, 1, 1, 0, 1), 2.5}}, 2},
        {"D 001:00:02 0000 CONC: 1 2 BAD 5\r\nD 001:00:03 0000 CONC1: 1 x 4 9 9\r\n", true,
         {{DateTime(2025, 1, 1, 0, 2), 2}, {DateTime(2025, 1, 1, 0, 3), NAN}}, 1},
        // A record at the same time as the one after it also goes a year back.
        {"D 001:00:01 0000 CONC1: 1 1\r\nD 001:00:01 0000 CONC1: 1 2\r\n", true,
         {{DateTime(2024, 1, 1, 0, 1), 1}, {DateTime(2025, 1, 1, 0, 1), 2}}, 0},
        {"D 001:00:02 0000 CAL: 1 2\r\n", false, {}, 0},
        {"D 001:00:02 0000 CONC1: 1 2 , 3\r\n", false, {{DateTime(2025, 1, 1, 0, 2), 2}}, 0},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.reply);
        link.On(Cmd("d report \"CONC1\" compact"), r.reply, 1);
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, &window), r.ok);
        ASSERT_EQ(P(0)->GetRecordCount(), r.nox.size());
        for (size_t i = 0; i < r.nox.size(); ++i) {
            const CDataRecord rec = *P(0)->GetRecord(i);
            EXPECT_EQ(rec.GetTime(), r.nox[i].first.GetSeconds()) << i;
            EXPECT_EQ(rec.IsValid(), !std::isnan(r.nox[i].second));
            if (rec.IsValid()) {
                EXPECT_EQ(rec.GetValue(), r.nox[i].second);
            }
        }
        EXPECT_EQ(P(1)->GetRecordCount(), r.o3);
    }
    // Without the instrument's date selection the range is applied once the reply is in.
    CSelectionSet between;
    between.SetType(7);
    between.SetStart(DateTime(2025, 1, 1, 0, 2).GetSeconds());
    between.SetEnd(DateTime(2025, 1, 1, 0, 3).GetSeconds());
    between.SetUseInstrumentDateSelection(false);
    ch->SetActiveSelection(&between);
    link.On(Cmd("d report \"CONC1\" compact"),
            "D 001:00:01 0000 CONC1: 1 1\r\nD 001:00:02 0000 CONC1: 1 2\r\n"
            "D 001:00:04 0000 CONC1: 1 4\r\n",
            1);
    ASSERT_TRUE(DownloadDASData(*inst, {ch->GetHandle()}, &window));
    ASSERT_EQ(P(0)->GetRecordCount(), 1u);
    EXPECT_EQ(P(0)->GetRecord(0)->GetValue(), 2.0);
    ch->SetActiveSelection(nullptr);
}
