#pragma once
// A site: a named place that instruments are reached through. It owns one transport, opens
// it for the first instrument that connects, shares the open link among the instruments
// that use it (in-use count) and closes it when the last one lets go. While the link is in
// use a worker thread runs every exchange with the site's instruments, one request at a
// time in posting order, so that the user-interface thread never waits on a transport.
//
// Threads: PostConnectRequest, PostRequest, CancelRead, the dialogs and the file code run on
// the user-interface thread; OpenLink, ReleaseLink, Send, Purge and SetBusy on the worker.
// Every field access takes the application state lock, which is released around the
// transport's Open and Close.

#include "connections/SiteWorker.h"
#include "instruments/SiteLink.h"
#include "model/NamedObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CConnection;
class CInstrumentConnection;
class CNamedObjectList;
class ConfigFileTokenStream;

class CSiteConnection : public CNamedObject, public SiteLink {
public:
    static constexpr unsigned kSchema = 6;
    // Connection type indexes (SITE_CONN_TYPE and the transport selector).
    enum : int {
        TYPE_DIRECTCABLE = 0,
        TYPE_BUILTINMODEM = 1,
        TYPE_WINDOWSMODEM = 2,
        TYPE_TCPIP = 3,
    };
    static constexpr unsigned kPostAttempts = 10;
    static constexpr unsigned kPostRetryMs = 10;
    static constexpr size_t kQueueLimit = 10000;
    // How long the destructor waits for a worker to end before it reports the wait.
    static constexpr unsigned kJoinLimitMs = 15000;

    // Makes a new default transport of one kind (the modem kinds register theirs).
    using TransportFactory = std::function<CConnection*()>;
    // Runs one request for one instrument on the worker thread.
    using Dispatch = std::function<void(unsigned message, CInstrumentConnection& instrument,
                                        uintptr_t wParam, InstrumentRequest* request)>;
    // The Site Properties dialog, installed by the GUI.
    using PropertiesEditor = std::function<bool(CSiteConnection&)>;

    // Named "Local Site", a fresh object ID, a default direct cable.
    CSiteConnection();
    // Stops the worker (cancelling a blocked read), waits for it, closes an open link.
    ~CSiteConnection() override;
    CSiteConnection& operator=(const CSiteConnection&) = delete;

    const char* GetClassName() const override { return "CSiteConnection"; }
    unsigned GetSchema() const override { return kSchema; }
    // Name, ID, then the transport. Loads schema 6, and 5 (one more word, discarded); the
    // older layouts are refused.
    void Serialize(CArchive& ar) override;
    // The name, a clone of the transport, a fresh ID; disconnected.
    CNamedObject* Clone() const override;

    // ---- the transport
    static void RegisterTransportFactory(int index, TransportFactory factory);
    // A new default transport for a type index: 1 and 2 through their registered factories,
    // 3 TCP/IP, anything else (or a kind with no factory) the direct cable.
    static CConnection* CreateTransport(int index);
    // The type index of a connection kind code (139..142); -1 for another code.
    static int TypeIndexOfKind(int kindCode);
    // Keeps a transport of the kind the index names with its settings; else installs a new
    // default transport of that kind.
    void SetConnectionType(int index);
    // The kind of the edited transport (see GetEditedConnection).
    int GetConnectionTypeIndex() const;
    // Takes ownership; null installs a default direct cable. While the link is in use (or a
    // worker still runs) the transport in use stays, and the new one waits and takes its
    // place at the next connect request: the result is false then, true if it took its
    // place at once. SetConnectionType and a loaded archive go the same way.
    bool SetConnection(CConnection* transport);
    // Whether a transport is waiting for the link to be free.
    bool HasPendingConnection() const;
    // The transport in use (the worker's).
    CConnection* GetConnection() override;
    // The transport as last set: the one waiting, if any, else the one in use. The archive,
    // the text form and copies of the site take this one.
    CConnection* GetEditedConnection();

    // ---- SiteLink
    std::string GetSiteName() const override { return GetName(); }
    void OpenLink(CInstrumentConnection* instrument) override;
    bool ReleaseLink(bool force) override;
    bool IsConnected() const override;
    bool IsBusy() const override;
    void SetBusy(bool busy) override;
    bool Send(const std::string& text, bool purgeFirst) override;
    void CancelRead() override;
    void Hold(bool held) override;
    bool PostConnectRequest(CInstrumentConnection* instrument) override;
    // Up to 10 attempts, 10 ms apart; false if there is no worker or every attempt fails.
    bool PostRequest(unsigned message, uint32_t instrumentId, uintptr_t wParam,
                     std::unique_ptr<InstrumentRequest> request) override;

    bool Purge();
    // The name, with " (Connected)" while connected.
    std::string GetDisplayName() const;
    int GetInUseCount() const;
    int GetBusyCount() const;
    // The stop flag: set while no worker is running requests.
    bool IsStopped() const;
    bool HasWorker() const;
    // Whether the site may not be deleted: its link is in use or being opened, or an
    // instrument holds it as its site in use.
    bool IsInUse() const;
    // Waits until every worker this site started has ended, at most timeoutMs.
    bool WaitForWorkers(unsigned timeoutMs);

    // Replaces the instrument layer's request handler (tests run a stub).
    void SetDispatch(Dispatch dispatch);

    bool EditProperties();
    static void SetPropertiesEditor(PropertiesEditor editor);

    // The site block of the text file. ReadConfig starts at the SITE_NAME token and stops
    // at the token that starts the next block (or the end), leaving it current; false on a
    // syntax error, which is noted in the stream.
    bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems);
    void WriteConfig(std::string& out, const CNamedObjectList& modems) const;

    // Registers the site with the model archive registry.
    static void RegisterClass();
    // The site, and the direct-cable and TCP/IP transports with the transport registry.
    static void RegisterClasses();

private:
    CSiteConnection(const CSiteConnection& other);

    void RunRequest(SiteRequest& request);
    std::shared_ptr<CSiteWorker> StartWorkerLocked();
    // Waits (bounded) for the workers of earlier links to end. On a worker thread.
    void WaitForRetiredWorkers();
    // Marks the link closed: counts 0, stop flag set, the worker forgotten (it ends by
    // itself). Under the state lock.
    void DropLinkLocked();
    // Whether a worker may be using the transport.
    bool TransportInUseLocked() const;
    // Replaces the transport now, or keeps next waiting while the transport is in use.
    void InstallTransportLocked(std::unique_ptr<CConnection> next);
    CConnection* EditedTransportLocked() const;
    // Joins the workers that have ended. Not on a worker thread.
    void ReapWorkers();

    std::unique_ptr<CConnection> m_transport;
    // Set while the link was in use; installed before the next worker starts.
    std::unique_ptr<CConnection> m_pending;
    int32_t m_inUse = 0;
    int32_t m_busy = 0;
    // Instruments that hold the site as their site in use.
    int32_t m_holders = 0;
    // The worker of the link in use; the ones that were forgotten run out in m_retired.
    std::shared_ptr<CSiteWorker> m_worker;
    std::vector<std::shared_ptr<CSiteWorker>> m_retired;
    Dispatch m_dispatch;
};
