#pragma once
// One analyzer or calibrator of the network configuration: how to address it on its site's
// link, log on, select it on a shared line and how long to wait for it (persistent), and
// what the protocol learnt while it is connected (run-time). It owns its DAS and sequence
// lists. Every accessor takes the application state lock.
//
// This is the side the rest of the program calls: the Request... operations post work to the
// site's worker thread and return at once; the work itself is CInstrumentProtocol's.

#include "base/AppInstrument.h"
#include "instruments/Capabilities.h"
#include "model/NamedObject.h"
#include "model/NamedObjectList.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CommInstrumentTokenStream;
class SiteLink;
class InstrumentPanel;
class MessageTarget;

class CInstrumentConnection : public CNamedObject, public AppInstrument {
public:
    enum Port : int32_t { PORT_1 = 0, PORT_2 = 1, PORT_CUSTOM = 2 };
    static constexpr int32_t kMaxInstrumentId = 9999;
    static constexpr uint32_t kMaxPassword = 999999;
    static constexpr int32_t kMaxAutoDisconnectMinutes = 60;
    static constexpr int32_t kMinReceiveTimeout = 500, kMaxReceiveTimeout = 10000;
    static constexpr int32_t kMaxTransmitDelay = 500;
    static constexpr size_t kMaxModeVarNameLength = 20;
    static constexpr size_t kMaxDasChannels = 20;
    static constexpr size_t kMaxSequences = 100;

    using Clock = std::chrono::steady_clock;

    CInstrumentConnection();
    // Copies the persistent fields and deep-copies the lists; a fresh object ID, run-time
    // fields at their initial values, the copies' back pointers on the copy.
    CInstrumentConnection(const CInstrumentConnection& other);
    CInstrumentConnection& operator=(const CInstrumentConnection&) = delete;
    ~CInstrumentConnection() override;

    const char* GetClassName() const override { return "CInstrumentConnection"; }
    unsigned GetSchema() const override { return 9; }
    CNamedObject* Clone() const override { return new CInstrumentConnection(*this); }

    // The persistent fields in the standard configuration file. Loads schemas 8 and 9 (8 ends
    // after the five flags); the older record layouts are refused as a bad schema. The DAS and
    // sequence lists go through the archive's class records, so an element whose class is not
    // registered makes the load fail cleanly.
    void Serialize(CArchive& ar) override;
    // Makes the class known to the archive for loading the instruments list.
    static void RegisterClass();

    // The mode variable a port uses unless the user names another.
    static std::string DefaultModeVarName(int32_t port);

    // ---- persistent fields
    uint32_t GetSiteId() const;
    void SetSiteId(uint32_t id);
    int32_t GetInstrumentId() const;
    void SetInstrumentId(int32_t id);
    bool GetUseInstrumentId() const;
    void SetUseInstrumentId(bool use);
    int32_t GetPort() const;
    // Port 1 and Port 2 put their default mode variable name in place; Custom keeps the
    // current name (the user may then type another).
    void SetPort(int32_t port);
    // As the text file reads it: every port, Custom too, resets the name to its default.
    void SetPortAndDefaultName(int32_t port);
    std::string GetModeVarName() const;
    void SetModeVarName(const std::string& name);
    uint32_t GetPassword() const;
    void SetPassword(uint32_t password);
    bool GetUsePassword() const;
    void SetUsePassword(bool use);
    int32_t GetAutoDisconnectMinutes() const;
    void SetAutoDisconnectMinutes(int32_t minutes);
    bool GetAutoDisconnect() const;
    void SetAutoDisconnect(bool enabled);
    std::string GetSelectCode() const;
    void SetSelectCode(const std::string& bytes);
    bool GetUseSelect() const;
    void SetUseSelect(bool use);
    std::string GetDeselectCode() const;
    void SetDeselectCode(const std::string& bytes);
    bool GetUseDeselect() const;
    void SetUseDeselect(bool use);
    int32_t GetReceiveTimeout() const;
    void SetReceiveTimeout(int32_t ms);
    int32_t GetTransmitDelay() const;
    void SetTransmitDelay(int32_t ms);
    uint32_t GetCapabilities() const;
    void SetCapabilities(uint32_t flags);
    bool HasCapability(uint32_t bits) const { return (GetCapabilities() & bits) == bits; }
    bool GetShowSampleCounts() const;
    void SetShowSampleCounts(bool show);

    // The owned lists; walk them under the state lock.
    CNamedObjectList& DasEvents() { return m_dasEvents; }
    CNamedObjectList& DasPoints() { return m_dasPoints; }
    CNamedObjectList& DasChannels() { return m_dasChannels; }
    CNamedObjectList& Sequences() { return m_sequences; }
    const CNamedObjectList& DasEvents() const { return m_dasEvents; }
    const CNamedObjectList& DasPoints() const { return m_dasPoints; }
    const CNamedObjectList& DasChannels() const { return m_dasChannels; }
    const CNamedObjectList& Sequences() const { return m_sequences; }
    // The editing windows add while these hold.
    bool CanAddDasChannel() const;
    bool CanAddSequence() const;
    // Points every channel and sequence at this instrument.
    void RepointOwnedObjects();

    // ---- run-time fields
    bool IsConnected() const;
    void SetConnected(bool connected);
    SiteLink* GetSiteInUse() const;
    void SetSiteInUse(SiteLink* site);
    InstrumentPanel* GetFrontPanel() const;
    void SetFrontPanel(InstrumentPanel* panel);
    // The communication stream, present while connected; only the site worker uses it.
    CommInstrumentTokenStream* GetStream() const;
    void SetStream(std::unique_ptr<CommInstrumentTokenStream> stream);
    double GetSoftwareRevision() const;
    void SetSoftwareRevision(double r);
    double GetLibraryRevision() const;
    void SetLibraryRevision(double r);
    double GetProtocolRevision() const;
    void SetProtocolRevision(double r);
    std::string GetSerialNumber() const;
    void SetSerialNumber(const std::string& serial);
    std::string GetDisplayText() const;
    // Stores the text and tells the front panel (1034) if there is one.
    void SetDisplayText(const std::string& text);
    int32_t GetSelectDepth() const;
    void SetSelectDepth(int32_t depth);
    int32_t GetIdleCount() const;
    void AddIdleCount(int32_t delta);
    bool GetModeChanged() const;
    int32_t GetSavedMode() const;
    void SetModeChange(bool changed, int32_t savedMode);
    bool GetDisconnectRequested() const;
    void SetDisconnectRequested(bool requested);
    bool GetFrontPanelActive() const;
    void SetFrontPanelActive(bool active);
    bool GetDasModified() const;
    void SetDasModified(bool modified);
    bool GetSequencesModified() const;
    void SetSequencesModified(bool modified);
    Clock::time_point GetLastActivity() const;
    void TouchActivity();
    int32_t GetDownloadCounter() const;
    void SetDownloadCounter(int32_t count);

    // ---- names shown
    // The site in use, else the site whose object ID is the site ID, else "Local Site".
    std::string GetSiteName() const;
    // The name, with " (Connected)" while connected.
    std::string GetDisplayName() const;
    // The site whose object ID is the site ID, or null.
    SiteLink* FindSite() const;

    // ---- user-interface side: each returns at once
    // False when the site ID names no site (the caller shows the invalid-site message).
    bool RequestConnect();
    void RequestDisconnect();
    void RequestDisplayUpdate();
    void RequestKey(int key);
    bool RequestFetchDasConfig(MessageTarget* window);
    bool RequestSendDasConfig(MessageTarget* window);
    bool RequestDownloadDasData(MessageTarget* window, std::vector<uint32_t> channels);
    bool RequestFetchSequences(MessageTarget* window);
    bool RequestSendSequences(MessageTarget* window);
    // The main window's timers, for connected instruments.
    void OnTimer(unsigned timerId);

    // The property sheet (installed by the GUI); true when the user pressed OK.
    bool EditProperties();
    using PropertiesEditor = std::function<bool(CInstrumentConnection&)>;
    static void SetPropertiesEditor(PropertiesEditor editor);
    // Makes the front panel for RequestConnect (installed by the GUI); without one an
    // instrument connects without a panel unless its panel was set beforehand.
    using FrontPanelFactory = std::function<InstrumentPanel*(CInstrumentConnection&)>;
    static void SetFrontPanelFactory(FrontPanelFactory factory);
    // The clock of the last-activity stamps; tests replace it.
    static void SetClock(std::function<Clock::time_point()> clock);
    static Clock::time_point Now();

    // Told after the worker has finished each request for this instrument, with the
    // request's message number (the command-line tool waits on it).
    using RequestObserver = std::function<void(unsigned message)>;
    void SetRequestObserver(RequestObserver observer);
    void NotifyRequestDone(unsigned message);

    // AppInstrument
    bool IsConnectedForApp() const override { return IsConnected(); }
    void OnAppTimer(unsigned timerId) override { OnTimer(timerId); }

private:
    // The site in use if it is still one of the application's sites, else none (and it is
    // forgotten).
    SiteLink* LiveSiteInUse();

    // Persistent.
    uint32_t m_siteId = 0;
    int32_t m_instrumentId = 0;
    bool m_useInstrumentId = false;
    int32_t m_port = PORT_1;
    std::string m_modeVarName = "RS232_MODE";
    uint32_t m_password = 0;
    bool m_usePassword = false;
    int32_t m_autoDisconnectMinutes = 0;
    bool m_autoDisconnect = false;
    std::string m_selectCode;
    bool m_useSelect = false;
    std::string m_deselectCode;
    bool m_useDeselect = false;
    int32_t m_receiveTimeout = 2000;
    int32_t m_transmitDelay = 0;
    uint32_t m_capabilities = 0;
    bool m_showSampleCounts = false;
    CNamedObjectList m_dasEvents{10};
    CNamedObjectList m_dasPoints{10};
    CNamedObjectList m_dasChannels{10};
    CNamedObjectList m_sequences{10};

    // Run-time.
    bool m_connected = false;
    SiteLink* m_siteInUse = nullptr;
    uint32_t m_siteInUseId = 0; // to tell whether the site still exists
    InstrumentPanel* m_frontPanel = nullptr;
    std::unique_ptr<CommInstrumentTokenStream> m_stream;
    double m_softwareRevision = 0;
    double m_libraryRevision = 0;
    double m_protocolRevision = 0;
    std::string m_serialNumber;
    std::string m_displayText;
    int32_t m_selectDepth = 0;
    int32_t m_idleCount = 1;
    bool m_modeChanged = false;
    int32_t m_savedMode = 0;
    bool m_disconnectRequested = false;
    bool m_frontPanelActive = true;
    bool m_dasModified = false;
    bool m_sequencesModified = false;
    Clock::time_point m_lastActivity{};
    int32_t m_downloadCounter = 0;
    RequestObserver m_requestObserver;
};
