#include "connections/SiteConnection.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/CommPortConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

enum : unsigned { IDS_CONNECTED = 61212, IDS_UNABLE_TO_CONNECT_SITE = 61228 };
// The width of an instrument's display, whose two lines show a failure's text.
constexpr size_t kDisplayColumns = 40;

std::mutex g_registryLock;
std::map<int, CSiteConnection::TransportFactory>& Factories() {
    static std::map<int, CSiteConnection::TransportFactory> factories;
    return factories;
}
CSiteConnection::PropertiesEditor g_editor;

uint32_t FreshId() {
    return AppNewObjectId();
}

int KindOfIndex(int index) {
    switch (index) {
    case CSiteConnection::TYPE_BUILTINMODEM:
        return CONN_BUILTINMODEM;
    case CSiteConnection::TYPE_WINDOWSMODEM:
        return CONN_WINDOWSMODEM;
    case CSiteConnection::TYPE_TCPIP:
        return CONN_TCPIP;
    default:
        return CONN_DIRECTCABLE;
    }
}

std::string FormatName(unsigned id, const std::string& name) {
    std::string text = LoadString(id);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace

CSiteConnection::CSiteConnection()
    : CNamedObject(IDS_LOCAL_SITE, FreshId()), m_transport(new CCommPortConnection) {}

CSiteConnection::CSiteConnection(const CSiteConnection& other) : CNamedObject(other), SiteLink() {
    StateGuard guard(AppStateLock());
    const CConnection* source = other.EditedTransportLocked();
    m_transport.reset(source ? source->Clone() : nullptr);
    if (!m_transport)
        m_transport.reset(new CCommPortConnection);
    SetId(FreshId());
}

CSiteConnection::~CSiteConnection() {
    std::vector<std::shared_ptr<CSiteWorker>> workers;
    {
        StateGuard guard(AppStateLock());
        if (m_worker)
            workers.push_back(std::move(m_worker));
        for (auto& w : m_retired)
            workers.push_back(std::move(w));
        m_retired.clear();
    }
    // Take no further request, and keep ending the reads the current one blocks in (each
    // read of an exchange clears the cancel flag as it starts).
    for (auto& w : workers)
        w->Quit();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kJoinLimitMs);
    for (auto& w : workers) {
        while (!w->WaitFinished(kPostRetryMs)) {
            // A cancel also gives up a connect in progress (the socket's wait for the peer).
            if (m_transport)
                m_transport->CancelRead();
            if (std::chrono::steady_clock::now() > deadline) {
                // Stuck in a call that a cancel does not end: the thread is left to run out
                // rather than waited on for ever.
                AppLogMessage(LOG_ERROR, "Site " + GetName() +
                                             ": the worker did not end in time; left running.");
                static std::mutex abandonedLock;
                static std::vector<std::shared_ptr<CSiteWorker>> abandoned;
                std::lock_guard<std::mutex> guard(abandonedLock);
                w->Abandon();
                abandoned.push_back(w);
                break;
            }
        }
    }
    workers.clear(); // joins whatever is left, which has ended
    if (m_transport)
        m_transport->ClearCancel();
    if (m_transport && m_transport->IsOpen())
        m_transport->Close();
}

// ---- archive and copies --------------------------------------------------------------------

void CSiteConnection::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        CNamedObject::Serialize(ar);
        StateGuard guard(AppStateLock());
        if (!m_transport)
            m_transport.reset(new CCommPortConnection);
        ar.WriteObject(EditedTransportLocked());
        return;
    }
    // The schema of this record; reading the transport's record replaces the archive's.
    const unsigned schema = ar.GetObjectSchema();
    if (schema != 5 && schema != 6)
        throw CArchiveException(CArchiveException::BadSchema,
                                "CSiteConnection schema " + std::to_string(schema));
    CNamedObject::Serialize(ar);
    std::unique_ptr<CConnection> transport(ArchiveClassRegistry<CConnection>::Read(ar));
    if (schema == 5)
        ar.ReadUInt32();
    ar.SetObjectSchema(schema);
    StateGuard guard(AppStateLock());
    InstallTransportLocked(transport ? std::move(transport)
                                     : std::make_unique<CCommPortConnection>());
}

CNamedObject* CSiteConnection::Clone() const {
    return new CSiteConnection(*this);
}

// ---- the transport -------------------------------------------------------------------------

void CSiteConnection::RegisterTransportFactory(int index, TransportFactory factory) {
    std::lock_guard<std::mutex> guard(g_registryLock);
    Factories()[index] = std::move(factory);
}

CConnection* CSiteConnection::CreateTransport(int index) {
    if (index == TYPE_TCPIP)
        return new CTCPConnection;
    if (index == TYPE_BUILTINMODEM || index == TYPE_WINDOWSMODEM) {
        TransportFactory factory;
        {
            std::lock_guard<std::mutex> guard(g_registryLock);
            auto it = Factories().find(index);
            if (it != Factories().end())
                factory = it->second;
        }
        if (factory)
            if (CConnection* c = factory())
                return c;
    }
    return new CCommPortConnection;
}

int CSiteConnection::TypeIndexOfKind(int kindCode) {
    switch (kindCode) {
    case CONN_DIRECTCABLE:
        return TYPE_DIRECTCABLE;
    case CONN_BUILTINMODEM:
        return TYPE_BUILTINMODEM;
    case CONN_WINDOWSMODEM:
        return TYPE_WINDOWSMODEM;
    case CONN_TCPIP:
        return TYPE_TCPIP;
    default:
        return -1;
    }
}

bool CSiteConnection::TransportInUseLocked() const {
    if (m_inUse > 0 || m_worker)
        return true;
    // A worker whose link has closed may still be finishing the request that closed it.
    for (const auto& w : m_retired)
        if (!w->IsFinished())
            return true;
    return false;
}

void CSiteConnection::InstallTransportLocked(std::unique_ptr<CConnection> next) {
    // A worker uses the transport without the lock, so it is never replaced under one: the
    // new one waits and is installed before the next worker starts.
    if (TransportInUseLocked()) {
        m_pending = std::move(next);
        return;
    }
    m_pending.reset();
    m_transport = std::move(next);
}

CConnection* CSiteConnection::EditedTransportLocked() const {
    return m_pending ? m_pending.get() : m_transport.get();
}

void CSiteConnection::SetConnectionType(int index) {
    StateGuard guard(AppStateLock());
    if (const CConnection* current = EditedTransportLocked();
        current && current->GetConnectionType() == KindOfIndex(index))
        return;
    InstallTransportLocked(std::unique_ptr<CConnection>(CreateTransport(index)));
}

int CSiteConnection::GetConnectionTypeIndex() const {
    StateGuard guard(AppStateLock());
    const CConnection* transport = EditedTransportLocked();
    return transport ? TypeIndexOfKind(transport->GetConnectionType()) : TYPE_DIRECTCABLE;
}

bool CSiteConnection::SetConnection(CConnection* transport) {
    std::unique_ptr<CConnection> next(transport ? transport : new CCommPortConnection);
    StateGuard guard(AppStateLock());
    InstallTransportLocked(std::move(next));
    return m_pending == nullptr;
}

bool CSiteConnection::HasPendingConnection() const {
    StateGuard guard(AppStateLock());
    return m_pending != nullptr;
}

CConnection* CSiteConnection::GetEditedConnection() {
    StateGuard guard(AppStateLock());
    return EditedTransportLocked();
}

CConnection* CSiteConnection::GetConnection() {
    StateGuard guard(AppStateLock());
    return m_transport.get();
}

// ---- the shared link (worker thread) -------------------------------------------------------

void CSiteConnection::DropLinkLocked() {
    m_inUse = 0;
    m_busy = 0;
    if (!m_worker)
        return;
    m_worker->SetStop();
    std::deque<SiteRequest> queued = m_worker->TakeQueued();
    m_retired.push_back(std::move(m_worker));
    // What was queued for the link that closed is dropped, but a connect asked for after the
    // last disconnect is not: it runs, with whatever followed it, on a fresh worker, which
    // waits for this one to finish first.
    auto first = std::find_if(queued.begin(), queued.end(),
                              [](const SiteRequest& r) { return r.message == MSG_CONNECT; });
    if (first == queued.end())
        return;
    m_worker = StartWorkerLocked();
    for (auto it = first; it != queued.end(); ++it)
        m_worker->Post(*it);
}

std::shared_ptr<CSiteWorker> CSiteConnection::StartWorkerLocked() {
    // A fresh worker has its stop flag clear.
    auto worker =
        std::make_shared<CSiteWorker>([this](SiteRequest& r) { RunRequest(r); }, kQueueLimit);
    worker->Start();
    return worker;
}

void CSiteConnection::WaitForRetiredWorkers() {
    std::vector<std::shared_ptr<CSiteWorker>> retired;
    {
        StateGuard guard(AppStateLock());
        for (const auto& w : m_retired)
            if (!w->IsWorkerThread())
                retired.push_back(w);
    }
    // The one that closed the link is finishing the request that closed it; a request for
    // the next link must not overlap it.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kJoinLimitMs);
    for (auto& w : retired) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        w->WaitFinished(left.count() > 0 ? static_cast<unsigned>(left.count()) : 0);
    }
}

void CSiteConnection::OpenLink(CInstrumentConnection* instrument) {
    CConnection* transport;
    {
        StateGuard guard(AppStateLock());
        if (m_inUse > 0) {
            ++m_inUse;
            return;
        }
        m_inUse = 1;
        m_busy = 0;
        transport = m_transport.get();
    }
    // Without the lock: a modem may take a minute to dial.
    if (transport->Open(instrument))
        return;
    {
        StateGuard guard(AppStateLock());
        DropLinkLocked();
    }
    if (instrument && instrument->GetDisconnectRequested())
        return; // the operator gave up on this connect: no failure report
    std::string text = FormatName(IDS_UNABLE_TO_CONNECT_SITE, GetName());
    // A device that could not be opened says why on the display's second line.
    const std::string hint = SerialPort::OpenErrorHint(transport->GetLastOpenError());
    AppLogMessage(LOG_ERROR, hint.empty() ? text : text + " " + hint);
    if (!hint.empty())
        text.append((kDisplayColumns - text.size() % kDisplayColumns) % kDisplayColumns, ' ')
            .append(hint);
    if (instrument)
        instrument->SetDisplayText(text);
}

bool CSiteConnection::ReleaseLink(bool force) {
    CConnection* transport;
    {
        StateGuard guard(AppStateLock());
        if (m_inUse <= 0)
            return false;
        if (!force && m_inUse > 1) {
            --m_inUse;
            return true;
        }
        transport = m_transport.get();
    }
    transport->Close();
    StateGuard guard(AppStateLock());
    DropLinkLocked();
    return true;
}

bool CSiteConnection::IsConnected() const {
    StateGuard guard(AppStateLock());
    return m_inUse > 0;
}

bool CSiteConnection::IsBusy() const {
    StateGuard guard(AppStateLock());
    return m_busy > 0;
}

void CSiteConnection::SetBusy(bool busy) {
    StateGuard guard(AppStateLock());
    m_busy += busy ? 1 : -1;
}

int CSiteConnection::GetInUseCount() const {
    StateGuard guard(AppStateLock());
    return m_inUse;
}

int CSiteConnection::GetBusyCount() const {
    StateGuard guard(AppStateLock());
    return m_busy;
}

bool CSiteConnection::Send(const std::string& text, bool purgeFirst) {
    CConnection* transport;
    {
        StateGuard guard(AppStateLock());
        if (m_inUse <= 0)
            return false;
        transport = m_transport.get();
    }
    AppLogMessage(LOG_COMMAND, text);
    if (purgeFirst)
        transport->Purge();
    return transport->Write(text);
}

bool CSiteConnection::Purge() {
    CConnection* transport;
    {
        StateGuard guard(AppStateLock());
        if (m_inUse <= 0)
            return false;
        transport = m_transport.get();
    }
    return transport->Purge();
}

void CSiteConnection::CancelRead() {
    StateGuard guard(AppStateLock());
    if (m_transport)
        m_transport->CancelRead();
}

std::string CSiteConnection::GetDisplayName() const {
    StateGuard guard(AppStateLock());
    std::string name = GetName();
    if (m_inUse > 0)
        name += LoadString(IDS_CONNECTED);
    return name;
}

// ---- the worker thread (user-interface side) ----------------------------------------------

bool CSiteConnection::IsStopped() const {
    StateGuard guard(AppStateLock());
    return !m_worker || m_worker->IsStopped();
}

bool CSiteConnection::HasWorker() const {
    StateGuard guard(AppStateLock());
    return m_worker != nullptr;
}

bool CSiteConnection::IsInUse() const {
    StateGuard guard(AppStateLock());
    return TransportInUseLocked() || m_holders > 0;
}

void CSiteConnection::Hold(bool held) {
    StateGuard guard(AppStateLock());
    m_holders += held ? 1 : -1;
}

void CSiteConnection::SetDispatch(Dispatch dispatch) {
    StateGuard guard(AppStateLock());
    m_dispatch = std::move(dispatch);
}

void CSiteConnection::ReapWorkers() {
    std::vector<std::shared_ptr<CSiteWorker>> ended;
    {
        StateGuard guard(AppStateLock());
        for (auto it = m_retired.begin(); it != m_retired.end();) {
            if ((*it)->IsFinished() && !(*it)->IsWorkerThread()) {
                ended.push_back(std::move(*it));
                it = m_retired.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Joined outside the lock (they have ended, so at once).
}

bool CSiteConnection::WaitForWorkers(unsigned timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<std::shared_ptr<CSiteWorker>> workers;
        {
            StateGuard guard(AppStateLock());
            if (m_worker)
                workers.push_back(m_worker);
            workers.insert(workers.end(), m_retired.begin(), m_retired.end());
        }
        bool all = true;
        for (auto& w : workers) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (!w->WaitFinished(left.count() > 0 ? static_cast<unsigned>(left.count()) : 0))
                all = false;
        }
        ReapWorkers();
        if (all) {
            StateGuard guard(AppStateLock());
            if (!m_worker || m_worker->IsFinished())
                return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

bool CSiteConnection::PostConnectRequest(CInstrumentConnection* instrument) {
    if (!instrument)
        return false;
    ReapWorkers();
    {
        StateGuard guard(AppStateLock());
        if (m_pending && !TransportInUseLocked())
            m_transport = std::move(m_pending);
        if (!m_worker)
            m_worker = StartWorkerLocked();
    }
    return PostRequest(MSG_CONNECT, instrument->GetId(), 0, nullptr);
}

bool CSiteConnection::PostRequest(unsigned message, uint32_t instrumentId, uintptr_t wParam,
                                  std::unique_ptr<InstrumentRequest> block) {
    SiteRequest request;
    request.message = message;
    request.instrumentId = instrumentId;
    request.wParam = wParam;
    request.block = std::move(block);
    for (unsigned attempt = 0; attempt < kPostAttempts; ++attempt) {
        std::shared_ptr<CSiteWorker> worker;
        {
            StateGuard guard(AppStateLock());
            worker = m_worker;
        }
        if (!worker)
            return false;
        if (worker->Post(request))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPostRetryMs));
    }
    return false;
}

void CSiteConnection::RunRequest(SiteRequest& request) {
    // The eight keys are 1 to 8; any other number is dropped here.
    if (request.message == MSG_KEY_PRESS && (request.wParam < 1 || request.wParam > 8))
        return;
    WaitForRetiredWorkers();
    CInstrumentConnection* instrument = nullptr;
    Dispatch dispatch;
    {
        StateGuard guard(AppStateLock());
        if (AppServices* app = AppServices::Get())
            instrument = dynamic_cast<CInstrumentConnection*>(
                app->FindObject(ObjectKind::Instrument, request.instrumentId));
        dispatch = m_dispatch;
        // A connect queued behind the instrument's own disconnect (or a failed connect) finds
        // its site let go of by that request: it was asked for on this site.
        if (instrument && request.message == MSG_CONNECT && !instrument->GetSiteInUse())
            instrument->SetSiteInUse(this);
    }
    if (!instrument)
        return; // gone since the request was posted
    if (dispatch)
        dispatch(request.message, *instrument, request.wParam, request.block.get());
    else
        CInstrumentRequestHandler::Handle(request.message, *instrument, request.wParam,
                                          request.block.get());
}

// ---- dialogs -------------------------------------------------------------------------------

bool CSiteConnection::EditProperties() {
    PropertiesEditor editor;
    {
        std::lock_guard<std::mutex> guard(g_registryLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CSiteConnection::SetPropertiesEditor(PropertiesEditor editor) {
    std::lock_guard<std::mutex> guard(g_registryLock);
    g_editor = std::move(editor);
}

// ---- text form -----------------------------------------------------------------------------

bool CSiteConnection::ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) {
    if (ts.GetTokenCode() != CFG_SITE_NAME || ts.GetToken() != CFG_EQUALS ||
        ts.GetToken() != TOKEN_STRING) {
        ts.NoteError();
        return false;
    }
    SetName(ts.GetTokenText());
    int token = ts.GetToken();
    for (;;) {
        switch (token) {
        case CFG_MODEM_NAME:
        case CFG_SITE_NAME:
        case CFG_INST_NAME:
        case TOKEN_END:
            return true;
        case CFG_SITE_CONN_TYPE: {
            if (ts.GetToken() != CFG_EQUALS) {
                ts.NoteError();
                return false;
            }
            const int index = TypeIndexOfKind(ts.GetToken());
            if (index < 0) {
                ts.NoteError();
                return false;
            }
            SetConnectionType(index);
            token = ts.GetToken();
            break;
        }
        case CFG_SITE_TIMEOUT:
            if (ts.GetToken() != CFG_EQUALS || ts.GetToken() != TOKEN_INTEGER) {
                ts.NoteError();
                return false;
            }
            token = ts.GetToken();
            break;
        default: {
            const uint32_t errors = ts.GetErrorCount();
            CConnection* transport = GetEditedConnection();
            if (!transport->ReadConfig(ts, modems)) {
                // Not one of the transport's keys, or a malformed value it has noted.
                if (ts.GetErrorCount() == errors)
                    ts.NoteError();
                return false;
            }
            token = ts.GetTokenCode();
            break;
        }
        }
    }
}

void CSiteConnection::WriteConfig(std::string& out, const CNamedObjectList& modems) const {
    StateGuard guard(AppStateLock());
    out += "\r\n";
    out += ConfigFileTokenStream::TokenName(CFG_SITE_NAME);
    out += " = \"" + GetName() + "\"\r\n  ";
    out += ConfigFileTokenStream::TokenName(CFG_SITE_CONN_TYPE);
    out += " = ";
    const CConnection* transport = EditedTransportLocked();
    out += ConfigFileTokenStream::TokenName(transport ? transport->GetConnectionType()
                                                      : CONN_DIRECTCABLE);
    out += "\r\n";
    if (transport)
        transport->WriteConfig(out, modems);
    else
        CCommPortConnection().WriteConfig(out, modems);
}

void CSiteConnection::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CSiteConnection",
                                                 [] { return new CSiteConnection; });
}

void CSiteConnection::RegisterClasses() {
    RegisterClass();
    CCommPortConnection::RegisterClass();
    CTCPConnection::RegisterClass();
}
