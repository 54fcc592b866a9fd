#pragma once
// The transport that carries the instrument command protocol. Every site owns exactly one;
// the kinds are the direct cable, the built-in modem, the telephony modem and TCP/IP.
// Transports never show messages: they report failure by a false result or a short count.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

class CArchive;
class CInstrumentConnection;
class CNamedObjectList;
class ConfigFileTokenStream;

// Keyword codes of the connection kinds (written as SITE_CONN_TYPE).
enum : int {
    CONN_DIRECTCABLE = 139,
    CONN_BUILTINMODEM = 140,
    CONN_WINDOWSMODEM = 141,
    CONN_TCPIP = 142,
};

class CConnection {
public:
    CConnection() = default;
    CConnection(const CConnection&) : m_cancel(false), m_linkFailed(false) {}
    CConnection& operator=(const CConnection&) { return *this; }
    virtual ~CConnection() = default;

    // The class name and schema under which the transport is archived.
    virtual const char* GetClassName() const = 0;
    virtual unsigned GetSchema() const = 0;

    virtual void Serialize(CArchive& ar) = 0;
    // Takes the transport's own keyword lines; stops, without consuming it, at the first
    // token that is not one of its keys. True if at least one keyword line was taken.
    virtual bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) = 0;
    // Appends the transport's keyword lines (CR LF line ends) to out.
    virtual void WriteConfig(std::string& out, const CNamedObjectList& modems) const = 0;
    virtual int GetConnectionType() const = 0;
    // True only if the link is now usable; inst receives progress texts from the modem kinds.
    virtual bool Open(CInstrumentConnection* inst) = 0;
    // The errno of the device open that made the last Open fail (0 when the failure had
    // another cause, or the kind opens no device), so the user can be told why.
    virtual int GetLastOpenError() const { return 0; }
    virtual bool Close() = 0;
    virtual bool Purge() = 0;
    // The most characters one ReadString returns.
    static constexpr size_t kReadLimit = 1000;
    // If open: reads up to kReadLimit characters. The cancel flag is left as it is: a cancel
    // that arrives between two reads of an exchange must end the next one too (the site
    // clears it when the request after the cancel begins).
    virtual std::string ReadString(unsigned timeoutMs, int terminator);
    // Stores up to maxCount bytes; never blocks longer than the time-out plus one poll step.
    virtual size_t Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) = 0;
    // What Read would store if the bytes already received complete it (the count or the
    // terminator); otherwise 0 and nothing is taken. Never waits nor looks at the link.
    virtual size_t TakeArrived(char* /*buffer*/, size_t /*maxCount*/, int /*terminator*/) {
        return 0;
    }
    // A long wait for a line to begin (a report the instrument first searches its records
    // for) is taken in steps of this length (ms).
    static constexpr unsigned kWaitStepMs = 100;
    // As Read, but waits for the first bytes in steps for up to waitMs, so that a link that
    // fails or closes ends the wait at once, as a cancel does; a line that has begun is read
    // on to its terminator for up to restMs more.
    size_t ReadAwaited(char* buffer, size_t maxCount, unsigned waitMs, unsigned restMs,
                       int terminator);
    virtual bool Write(const std::string& text) = 0;
    virtual bool IsOpen() const = 0;
    // Shows the kind's properties dialog (through the editor the GUI installs).
    virtual bool EditProperties();
    virtual CConnection* Clone() const = 0;

    // Ends a read in progress on another thread, and every read after it until cleared.
    void CancelRead() { m_cancel.store(true); }
    bool IsCancelled() const { return m_cancel.load(); }
    void ClearCancel() { m_cancel.store(false); }
    // The peer closed the link or the port reported an error since it was opened: a read
    // that brought nothing then means the reply was cut, not that it ended.
    bool HasLinkFailed() const { return m_linkFailed.load(); }

    // The GUI installs the dialogs that edit a transport's properties.
    using PropertiesEditor = std::function<bool(CConnection&)>;
    static void SetPropertiesEditor(PropertiesEditor editor);

protected:
    void SetLinkFailed(bool failed) { m_linkFailed.store(failed); }

    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_linkFailed{false};
};
