#pragma once
// Helpers shared by the DAS tests: a temporary folder per test program, and small builders
// for instruments with a DAS configuration.

#include "connections/SiteConnection.h"
#include "das/DASChannel.h"
#include "das/DASClasses.h"
#include "das/DASEvent.h"
#include "das/DASExchange.h"
#include "das/DASPoint.h"
#include "instruments/InstrumentConnection.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support_lib/Fakes.h"
#include "support_lib/TempDir.h"

#include <string>

namespace dastest {

namespace fs = std::filesystem;

// A folder of the test program's own, removed at exit.
inline const fs::path& Dir() {
    static TempDir dir;
    return dir.path;
}

inline CDASParameter* AddParameter(CDASChannel& ch, const std::string& name, int precision,
                                   bool samples = false) {
    auto* p = new CDASParameter(&ch);
    p->SetName(name);
    p->SetMode("AVG");
    p->SetPrecision(precision);
    p->SetStoreSamples(samples);
    p->SetInstrumentStoresSamples(samples);
    ch.Parameters().AddTail(p);
    return p;
}

// CONC1 on the timer event ATIMER with NOX and O3, CAL on the calibration event.
inline void FillInstrument(CInstrumentConnection& inst) {
    inst.DasEvents().AddTail(new CDASEvent("ATIMER", 1, true, KW_LOW));
    inst.DasEvents().AddTail(new CDASEvent("EXITZR", 2, false, KW_MED));
    inst.DasPoints().AddTail(new CDASPoint("NOX", 7, "NOx concentration", KW_LOW));
    auto* ch = new CDASChannel(&inst);
    ch->SetName("CONC1");
    ch->SetEvent("ATIMER");
    ch->SetStartDate(DateTime(2024, 3, 5));
    ch->SetSamplePeriod(TimeSpan(0, 0, 5, 0));
    ch->SetReportPeriod(TimeSpan(1, 2, 0, 0));
    ch->SetRecords(800);
    AddParameter(*ch, "NOX", 1, true);
    AddParameter(*ch, "O3", 3);
    inst.DasChannels().AddTail(ch);
    auto* cal = new CDASChannel(&inst);
    cal->SetName("CAL");
    cal->SetEvent("EXITZR");
    cal->SetPrintReports(true);
    AddParameter(*cal, "NOX", 0);
    inst.DasChannels().AddTail(cal);
}

// An instrument filled as above on a new site over transport (which the site takes), connected
// and reading its replies with the given time-out.
inline CInstrumentConnection* ConnectedInstrument(TestApp& app, CConnection& transport,
                                                  unsigned timeoutMs) {
    InstallDAS();
    auto* site = new CSiteConnection;
    site->SetConnection(&transport);
    app->Sites().AddTail(site);
    auto* inst = new CInstrumentConnection;
    inst->SetName("T400");
    inst->SetSiteId(site->GetId());
    app->Instruments().AddTail(inst);
    inst->SetSiteInUse(site);
    site->OpenLink(inst);
    inst->SetConnected(true);
    inst->SetStream(std::make_unique<CommInstrumentTokenStream>(transport, timeoutMs));
    FillInstrument(*inst);
    return inst;
}

} // namespace dastest
