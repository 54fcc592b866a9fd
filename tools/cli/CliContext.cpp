#include "CliContext.h"

#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "das/DASExchange.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "sequences/SequenceSupport.h"
#include "support/TextSupport.h"

#include <vector>

CliContext::CliContext(const CliOptions& options, std::FILE* out, std::FILE* err)
    : m_options(options), m_out(out), m_err(err), m_prompt(err),
      m_app(std::make_unique<CVANTIQApp>(m_settings, &m_prompt)) {
    InitSupportLibrary();
    SortTokenTables();
    CNetworkConfiguration::Install(*m_app);
    InstallDAS();
    CSequenceSupport::Install();
}

CliContext::~CliContext() {
    // The lists are deleted under the state lock, and a site joins its worker as it goes,
    // so every worker must have ended before then: a worker still looking at its stop flag
    // would wait for that lock forever.
    std::vector<CSiteConnection*> sites;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* obj : m_app->Sites())
            if (auto* site = dynamic_cast<CSiteConnection*>(obj))
                sites.push_back(site);
    }
    for (CSiteConnection* site : sites)
        site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
    m_app->DeleteModel();
    m_app->CloseLog();
    m_app.reset();
    FreeSupportLibrary();
}

void CliContext::Fail(const std::string& text) const {
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
}

void CliContext::UsageError(const std::string& text) const {
    std::fprintf(m_err, "gasquill-cli: %s\nTry gasquill-cli --help.\n", text.c_str());
    std::fflush(m_err);
}

void CliContext::OpenLog() {
    if (!m_options.logPath)
        return;
    const bool some = m_options.logCommands || m_options.logResponses || m_options.logErrors;
    m_app->SetLogPath(*m_options.logPath);
    m_app->SetLogFilters(!some || m_options.logCommands, !some || m_options.logResponses,
                         !some || m_options.logErrors);
    m_app->OpenLog();
}

bool CliContext::Prepare() {
    if (m_options.AdHoc())
        return BuildAdHocConfiguration();
    // The loader reports its own failures (through the prompt, on stderr).
    return CNetworkConfiguration::LoadSave(*m_app, m_options.configPath, false, true);
}

bool CliContext::IsInstrumentName(const std::string& name) const {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_app->Instruments())
        if (CNamedObjectList::NamesEqual(obj->GetName(), name))
            return true;
    return false;
}

CInstrumentConnection* CliContext::FindInstrument(const std::string& name) {
    StateGuard guard(AppStateLock());
    if (name.empty()) {
        if (m_options.AdHoc() && m_app->Instruments().GetCount() == 1)
            return dynamic_cast<CInstrumentConnection*>(*m_app->Instruments().begin());
        UsageError("an instrument name is needed");
        return nullptr;
    }
    for (CNamedObject* obj : m_app->Instruments())
        if (CNamedObjectList::NamesEqual(obj->GetName(), name))
            if (auto* inst = dynamic_cast<CInstrumentConnection*>(obj))
                return inst;
    UsageError("no instrument named \"" + name + "\" in the configuration");
    return nullptr;
}

bool CliContext::BuildAdHocConfiguration() {
    auto site = std::make_unique<CSiteConnection>();
    site->SetName(kAdHocSiteName);
    if (m_options.tcpHost) {
        auto tcp = std::make_unique<CTCPConnection>();
        tcp->SetAddress(*m_options.tcpHost);
        tcp->SetPort(m_options.tcpPort);
        site->SetConnection(tcp.release());
    } else {
        const SerialSettings& line = *m_options.serial;
        auto serial = std::make_unique<CCommPortConnection>();
        serial->SetPortName(line.port);
        serial->SetBaudRate(line.baud);
        serial->SetDataBits(line.dataBits);
        serial->SetParity(line.parity);
        serial->SetStopBits(line.stopBits);
        serial->SetFlowControl(line.flow);
        site->SetConnection(serial.release());
    }

    auto inst = std::make_unique<CInstrumentConnection>();
    inst->SetName(kAdHocInstrumentName);
    inst->SetSiteId(site->GetId());
    if (m_options.instrumentId) {
        inst->SetInstrumentId(*m_options.instrumentId);
        inst->SetUseInstrumentId(true);
    }
    if (m_options.password) {
        inst->SetPassword(*m_options.password);
        inst->SetUsePassword(true);
    }
    if (m_options.portMode) {
        const std::string& mode = *m_options.portMode;
        if (mode == "1") {
            inst->SetPort(CInstrumentConnection::PORT_1);
        } else if (mode == "2") {
            inst->SetPort(CInstrumentConnection::PORT_2);
        } else {
            inst->SetPort(CInstrumentConnection::PORT_CUSTOM);
            inst->SetModeVarName(mode);
        }
    }
    if (m_options.timeoutMs)
        inst->SetReceiveTimeout(*m_options.timeoutMs);

    StateGuard guard(AppStateLock());
    m_app->Sites().AddTail(site.release());
    m_app->Instruments().AddTail(inst.release());
    return true;
}
