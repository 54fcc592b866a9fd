#include "instruments/InstrumentConnection.h"

#include "base/AppServices.h"
#include "base/AppShell.h"
#include "base/LogCategory.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/InstrumentOwned.h"
#include "instruments/InstrumentPanel.h"
#include "instruments/SiteLink.h"
#include "model/ArchiveList.h"
#include "model/CommInstrumentTokenStream.h"

#include <mutex>

namespace {

enum : unsigned { IDS_CONNECTED_SUFFIX = 61212, IDS_UNABLE_TO_CONNECT_SITE = 61228 };

std::mutex g_hookLock;
CInstrumentConnection::PropertiesEditor g_editor;
CInstrumentConnection::FrontPanelFactory g_panelFactory;
std::function<CInstrumentConnection::Clock::time_point()> g_clock;

uint32_t FreshObjectId() {
    return AppNewObjectId();
}

void RepointList(CNamedObjectList& list, CInstrumentConnection* owner) {
    for (CNamedObject* obj : list)
        if (auto* owned = dynamic_cast<InstrumentOwned*>(obj))
            owned->SetOwnerInstrument(owner);
}

} // namespace

CInstrumentConnection::CInstrumentConnection()
    : CNamedObject(IDS_LOCAL_INSTRUMENT, FreshObjectId()) {}

CInstrumentConnection::CInstrumentConnection(const CInstrumentConnection& other)
    : CNamedObject(other), AppInstrument() {
    StateGuard guard(AppStateLock());
    SetId(FreshObjectId());
    m_siteId = other.m_siteId;
    m_instrumentId = other.m_instrumentId;
    m_useInstrumentId = other.m_useInstrumentId;
    m_port = other.m_port;
    m_modeVarName = other.m_modeVarName;
    m_password = other.m_password;
    m_usePassword = other.m_usePassword;
    m_autoDisconnectMinutes = other.m_autoDisconnectMinutes;
    m_autoDisconnect = other.m_autoDisconnect;
    m_selectCode = other.m_selectCode;
    m_useSelect = other.m_useSelect;
    m_deselectCode = other.m_deselectCode;
    m_useDeselect = other.m_useDeselect;
    m_receiveTimeout = other.m_receiveTimeout;
    m_transmitDelay = other.m_transmitDelay;
    m_capabilities = other.m_capabilities;
    m_showSampleCounts = other.m_showSampleCounts;
    m_dasEvents.CopyFrom(other.m_dasEvents);
    m_dasPoints.CopyFrom(other.m_dasPoints);
    m_dasChannels.CopyFrom(other.m_dasChannels);
    m_sequences.CopyFrom(other.m_sequences);
    RepointOwnedObjects();
}

CInstrumentConnection::~CInstrumentConnection() {
    StateGuard guard(AppStateLock());
    SetSiteInUse(nullptr);
    m_stream.reset();
    m_sequences.DeleteAll();
    m_dasChannels.DeleteAll();
    m_dasPoints.DeleteAll();
    m_dasEvents.DeleteAll();
}

void CInstrumentConnection::Serialize(CArchive& ar) {
    // The owned lists' classes, as they are archived.
    static const char* const kDasEvent = "CDASEvent";
    static const char* const kDasPoint = "CDASPoint";
    static const char* const kDasChannel = "CDASChannel";
    static const char* const kSequence = "CSequence";

    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        CNamedObject::Serialize(ar);
        ar.WriteString(m_selectCode);
        ar.WriteString(m_deselectCode);
        ar.WriteString(m_modeVarName);
        ar.WriteUInt32(m_siteId);
        ar.WriteUInt32(m_password);
        ar.WriteInt32(m_instrumentId);
        ar.WriteInt32(m_port);
        ar.WriteInt32(m_autoDisconnectMinutes);
        ar.WriteBool(m_usePassword);
        ar.WriteBool(m_useInstrumentId);
        ar.WriteBool(m_autoDisconnect);
        ar.WriteBool(m_useSelect);
        ar.WriteBool(m_useDeselect);
        ar.WriteInt32(m_receiveTimeout);
        ar.WriteInt32(m_transmitDelay);
        ar.WriteUInt32(m_capabilities);
        ar.WriteBool(m_showSampleCounts);
        WriteObjectList(ar, m_dasEvents);
        WriteObjectList(ar, m_dasPoints);
        WriteObjectList(ar, m_dasChannels);
        WriteObjectList(ar, m_sequences);
        return;
    }
    const unsigned schema = ar.GetObjectSchema();
    if (schema != 8 && schema != 9)
        throw CArchiveException(CArchiveException::BadSchema,
                                "CInstrumentConnection schema " + std::to_string(schema));
    CNamedObject::Serialize(ar);
    m_selectCode = ar.ReadString();
    m_deselectCode = ar.ReadString();
    m_modeVarName = ar.ReadString();
    m_siteId = ar.ReadUInt32();
    m_password = ar.ReadUInt32();
    m_instrumentId = ar.ReadInt32();
    m_port = ar.ReadInt32();
    m_autoDisconnectMinutes = ar.ReadInt32();
    m_usePassword = ar.ReadBool();
    m_useInstrumentId = ar.ReadBool();
    m_autoDisconnect = ar.ReadBool();
    m_useSelect = ar.ReadBool();
    m_useDeselect = ar.ReadBool();
    if (schema >= 9) {
        m_receiveTimeout = ar.ReadInt32();
        m_transmitDelay = ar.ReadInt32();
        m_capabilities = ar.ReadUInt32();
        m_showSampleCounts = ar.ReadBool();
        ReadObjectList(ar, m_dasEvents, kDasEvent);
        ReadObjectList(ar, m_dasPoints, kDasPoint);
        ReadObjectList(ar, m_dasChannels, kDasChannel);
        ReadObjectList(ar, m_sequences, kSequence);
    }
    RepointOwnedObjects();
}

void CInstrumentConnection::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CInstrumentConnection",
                                                 [] { return new CInstrumentConnection; });
}

void CInstrumentConnection::RepointOwnedObjects() {
    StateGuard guard(AppStateLock());
    RepointList(m_dasChannels, this);
    RepointList(m_sequences, this);
}

std::string CInstrumentConnection::DefaultModeVarName(int32_t port) {
    switch (port) {
    case PORT_2:
        return "RS232_MODE2";
    case PORT_CUSTOM:
        return "COM1_MODE";
    default:
        return "RS232_MODE";
    }
}

// ---- persistent fields ---------------------------------------------------------------------

#define LOCKED_GET(Type, Name, member)                                                             \
    Type CInstrumentConnection::Get##Name() const {                                                \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }
#define LOCKED_SET(Type, Name, member)                                                             \
    void CInstrumentConnection::Set##Name(Type value) {                                            \
        StateGuard guard(AppStateLock());                                                          \
        member = value;                                                                            \
    }
#define LOCKED_FIELD(Type, Name, member)                                                           \
    LOCKED_GET(Type, Name, member)                                                                 \
    LOCKED_SET(Type, Name, member)

LOCKED_FIELD(uint32_t, SiteId, m_siteId)
LOCKED_FIELD(int32_t, InstrumentId, m_instrumentId)
LOCKED_FIELD(bool, UseInstrumentId, m_useInstrumentId)
LOCKED_GET(int32_t, Port, m_port)
LOCKED_GET(std::string, ModeVarName, m_modeVarName)
LOCKED_SET(const std::string&, ModeVarName, m_modeVarName)
LOCKED_FIELD(uint32_t, Password, m_password)
LOCKED_FIELD(bool, UsePassword, m_usePassword)
LOCKED_FIELD(int32_t, AutoDisconnectMinutes, m_autoDisconnectMinutes)
LOCKED_FIELD(bool, AutoDisconnect, m_autoDisconnect)
LOCKED_GET(std::string, SelectCode, m_selectCode)
LOCKED_SET(const std::string&, SelectCode, m_selectCode)
LOCKED_FIELD(bool, UseSelect, m_useSelect)
LOCKED_GET(std::string, DeselectCode, m_deselectCode)
LOCKED_SET(const std::string&, DeselectCode, m_deselectCode)
LOCKED_FIELD(bool, UseDeselect, m_useDeselect)
LOCKED_FIELD(int32_t, ReceiveTimeout, m_receiveTimeout)
LOCKED_FIELD(int32_t, TransmitDelay, m_transmitDelay)
LOCKED_FIELD(uint32_t, Capabilities, m_capabilities)
LOCKED_FIELD(bool, ShowSampleCounts, m_showSampleCounts)

void CInstrumentConnection::SetPort(int32_t port) {
    StateGuard guard(AppStateLock());
    m_port = port;
    if (port != PORT_CUSTOM)
        m_modeVarName = DefaultModeVarName(port);
}

void CInstrumentConnection::SetPortAndDefaultName(int32_t port) {
    StateGuard guard(AppStateLock());
    m_port = port;
    m_modeVarName = DefaultModeVarName(port);
}

bool CInstrumentConnection::CanAddDasChannel() const {
    return m_dasChannels.GetCount() < kMaxDasChannels;
}

bool CInstrumentConnection::CanAddSequence() const {
    return m_sequences.GetCount() < kMaxSequences;
}

// ---- run-time fields -----------------------------------------------------------------------

LOCKED_SET(bool, Connected, m_connected)
LOCKED_GET(SiteLink*, SiteInUse, m_siteInUse)
LOCKED_FIELD(InstrumentPanel*, FrontPanel, m_frontPanel)
LOCKED_FIELD(double, SoftwareRevision, m_softwareRevision)
LOCKED_FIELD(double, LibraryRevision, m_libraryRevision)
LOCKED_FIELD(double, ProtocolRevision, m_protocolRevision)
LOCKED_GET(std::string, SerialNumber, m_serialNumber)
LOCKED_SET(const std::string&, SerialNumber, m_serialNumber)
LOCKED_GET(std::string, DisplayText, m_displayText)
LOCKED_FIELD(int32_t, SelectDepth, m_selectDepth)
LOCKED_GET(int32_t, IdleCount, m_idleCount)
LOCKED_GET(bool, ModeChanged, m_modeChanged)
LOCKED_GET(int32_t, SavedMode, m_savedMode)
LOCKED_FIELD(bool, DisconnectRequested, m_disconnectRequested)
LOCKED_FIELD(bool, FrontPanelActive, m_frontPanelActive)
LOCKED_FIELD(bool, DasModified, m_dasModified)
LOCKED_FIELD(bool, SequencesModified, m_sequencesModified)
LOCKED_GET(CInstrumentConnection::Clock::time_point, LastActivity, m_lastActivity)
LOCKED_FIELD(int32_t, DownloadCounter, m_downloadCounter)

#undef LOCKED_FIELD
#undef LOCKED_SET
#undef LOCKED_GET

bool CInstrumentConnection::IsConnected() const {
    StateGuard guard(AppStateLock());
    return m_connected;
}

CommInstrumentTokenStream* CInstrumentConnection::GetStream() const {
    StateGuard guard(AppStateLock());
    return m_stream.get();
}

void CInstrumentConnection::SetStream(std::unique_ptr<CommInstrumentTokenStream> stream) {
    std::unique_ptr<CommInstrumentTokenStream> old;
    StateGuard guard(AppStateLock());
    old = std::move(m_stream);
    m_stream = std::move(stream);
}

void CInstrumentConnection::SetDisplayText(const std::string& text) {
    InstrumentPanel* panel;
    {
        StateGuard guard(AppStateLock());
        m_displayText = text;
        panel = m_frontPanel;
        // Posting under the lock keeps the panel from going away in between; a post only
        // queues the notice.
        if (panel)
            panel->Post(MSG_DISPLAY_CHANGED, 0, 0);
    }
}

void CInstrumentConnection::AddIdleCount(int32_t delta) {
    StateGuard guard(AppStateLock());
    m_idleCount += delta;
}

void CInstrumentConnection::SetModeChange(bool changed, int32_t savedMode) {
    StateGuard guard(AppStateLock());
    m_modeChanged = changed;
    m_savedMode = savedMode;
}

void CInstrumentConnection::TouchActivity() {
    const Clock::time_point now = Now();
    StateGuard guard(AppStateLock());
    m_lastActivity = now;
}

// ---- hooks ---------------------------------------------------------------------------------

bool CInstrumentConnection::EditProperties() {
    PropertiesEditor editor;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CInstrumentConnection::SetPropertiesEditor(PropertiesEditor editor) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_editor = std::move(editor);
}

void CInstrumentConnection::SetFrontPanelFactory(FrontPanelFactory factory) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_panelFactory = std::move(factory);
}

void CInstrumentConnection::SetClock(std::function<Clock::time_point()> clock) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_clock = std::move(clock);
}

CInstrumentConnection::Clock::time_point CInstrumentConnection::Now() {
    std::function<Clock::time_point()> clock;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        clock = g_clock;
    }
    return clock ? clock() : Clock::now();
}

void CInstrumentConnection::SetRequestObserver(RequestObserver observer) {
    StateGuard guard(AppStateLock());
    m_requestObserver = std::move(observer);
}

void CInstrumentConnection::NotifyRequestDone(unsigned message) {
    RequestObserver observer;
    {
        StateGuard guard(AppStateLock());
        observer = m_requestObserver;
    }
    if (observer)
        observer(message);
}

// ---- names ---------------------------------------------------------------------------------

std::string CInstrumentConnection::GetDisplayName() const {
    StateGuard guard(AppStateLock());
    std::string name = GetName();
    if (m_connected)
        name += LoadString(IDS_CONNECTED_SUFFIX);
    return name;
}

SiteLink* CInstrumentConnection::FindSite() const {
    AppServices* app = AppServices::Get();
    if (!app)
        return nullptr;
    StateGuard guard(AppStateLock());
    const uint32_t id = m_siteId;
    if (id == 0)
        return nullptr;
    return dynamic_cast<SiteLink*>(app->FindObject(ObjectKind::Site, id));
}

std::string CInstrumentConnection::GetSiteName() const {
    StateGuard guard(AppStateLock());
    if (m_siteInUse)
        return m_siteInUse->GetSiteName();
    if (SiteLink* site = FindSite())
        return site->GetSiteName();
    return LoadString(IDS_LOCAL_SITE);
}

// ---- user-interface side -------------------------------------------------------------------

bool CInstrumentConnection::RequestConnect() {
    SiteLink* site = FindSite();
    if (!site)
        return false;
    FrontPanelFactory factory;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        factory = g_panelFactory;
    }
    {
        StateGuard guard(AppStateLock());
        SetSiteInUse(site);
    }
    if (!GetFrontPanel() && factory)
        SetFrontPanel(factory(*this));
    if (!site->PostConnectRequest(this)) {
        // Never left at "Connecting to ..." with nothing on the way.
        std::string text = LoadString(IDS_UNABLE_TO_CONNECT_SITE);
        if (const size_t at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, site->GetSiteName());
        AppLogMessage(LOG_ERROR, text);
        SetSiteInUse(nullptr);
        SetDisplayText(text);
    }
    AppSetModified();
    return true;
}

namespace {
// Whether site is still the application's site of that ID (without an application, as in
// small tests, it is taken to be).
bool SiteExists(SiteLink* site, uint32_t id) {
    AppServices* app = AppServices::Get();
    return !app || dynamic_cast<SiteLink*>(app->FindObject(ObjectKind::Site, id)) == site;
}
} // namespace

void CInstrumentConnection::SetSiteInUse(SiteLink* site) {
    StateGuard guard(AppStateLock());
    if (site == m_siteInUse)
        return;
    if (m_siteInUse && SiteExists(m_siteInUse, m_siteInUseId))
        m_siteInUse->Hold(false);
    m_siteInUse = site;
    const auto* named = dynamic_cast<CNamedObject*>(site);
    m_siteInUseId = named ? named->GetId() : 0;
    if (site)
        site->Hold(true);
}

SiteLink* CInstrumentConnection::LiveSiteInUse() {
    StateGuard guard(AppStateLock());
    if (m_siteInUse && !SiteExists(m_siteInUse, m_siteInUseId))
        m_siteInUse = nullptr; // deleted since: forgotten, never touched
    return m_siteInUse;
}

void CInstrumentConnection::RequestDisconnect() {
    SiteLink* site = LiveSiteInUse();
    if (!site)
        return;
    // Ends a read the worker is blocked in, so that the disconnect runs soon.
    site->CancelRead();
    site->PostRequest(MSG_DISCONNECT, GetId(), 0, nullptr);
}

void CInstrumentConnection::RequestDisplayUpdate() {
    SiteLink* site = GetSiteInUse();
    // Skipped, not queued, while a transfer runs.
    if (site && !site->IsBusy())
        site->PostRequest(MSG_REFRESH_DISPLAY, GetId(), 0, nullptr);
}

void CInstrumentConnection::RequestKey(int key) {
    SiteLink* site = GetSiteInUse();
    if (site && !site->IsBusy())
        site->PostRequest(MSG_KEY_PRESS, GetId(), static_cast<uintptr_t>(key), nullptr);
}

namespace {
bool PostTransfer(CInstrumentConnection& inst, unsigned message, MessageTarget* window,
                  std::vector<uint32_t> channels = {}) {
    SiteLink* site = inst.GetSiteInUse();
    if (!site)
        return false;
    auto request = std::make_unique<InstrumentRequest>();
    request->window = window;
    request->channels = std::move(channels);
    return site->PostRequest(message, inst.GetId(), 0, std::move(request));
}
} // namespace

bool CInstrumentConnection::RequestFetchDasConfig(MessageTarget* window) {
    return PostTransfer(*this, MSG_GET_DAS_CONFIG, window);
}
bool CInstrumentConnection::RequestSendDasConfig(MessageTarget* window) {
    return PostTransfer(*this, MSG_SEND_DAS_CONFIG, window);
}
bool CInstrumentConnection::RequestDownloadDasData(MessageTarget* window,
                                                   std::vector<uint32_t> channels) {
    return PostTransfer(*this, MSG_DOWNLOAD_DAS_RECORDS, window, std::move(channels));
}
bool CInstrumentConnection::RequestFetchSequences(MessageTarget* window) {
    return PostTransfer(*this, MSG_GET_SEQUENCES, window);
}
bool CInstrumentConnection::RequestSendSequences(MessageTarget* window) {
    return PostTransfer(*this, MSG_SEND_SEQUENCES, window);
}

void CInstrumentConnection::OnTimer(unsigned timerId) {
    InstrumentPanel* panelToClose = nullptr;
    {
        StateGuard guard(AppStateLock());
        if (!m_connected || m_idleCount < 1)
            return;
        if (timerId == TIMER_AUTO_DISCONNECT) {
            const auto idle = Now() - m_lastActivity;
            if (m_frontPanel && m_frontPanelActive && m_autoDisconnect &&
                m_autoDisconnectMinutes >= 1 &&
                idle > std::chrono::seconds(int64_t{m_autoDisconnectMinutes} * 60))
                panelToClose = m_frontPanel;
        }
    }
    if (timerId == TIMER_AUTO_UPDATE)
        RequestDisplayUpdate();
    else if (panelToClose)
        panelToClose->ClosePanel();
}
