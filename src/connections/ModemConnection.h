#pragma once
// The transport for an instrument reached by telephone through an AT-command modem on a
// serial port ("Other Modem", keyword BUILTINMODEM). It is a direct cable that, once its port
// is open, resets, initialises and dials the modem with the strings of a modem definition and
// waits for the connect response; closing escapes to command mode, hangs up and resets.
// Reading, writing and purging are the direct cable's.
//
// The definition is found by its object ID when the link opens and held (its in-use count
// raised) until it closes, so it cannot be edited or deleted meanwhile and the strings that
// hang up are those that dialed. The state lock is never held while the modem is talking,
// so a disconnect request from the user-interface thread is seen between countdown steps.

#include "connections/CommPortConnection.h"

#include <cstdint>
#include <string>

class CModemSettings;

class CModemConnection : public CCommPortConnection {
public:
    static constexpr unsigned kSchema = 1;
    static constexpr int32_t kDefaultConnectTimeout = 120;
    // Tries of a command that waits for the OK response.
    static constexpr int kCommandTries = 3;
    // How many time-outs a response may take in all while other lines keep arriving.
    static constexpr unsigned kResponseLimitFactor = 10;

    CModemConnection() = default;
    // Takes the serial settings, modem definition ID, telephone number and time-out; the copy
    // starts closed with no definition attached.
    CModemConnection(const CModemConnection& other);
    CModemConnection& operator=(const CModemConnection&) = delete;
    // Gives back a definition still held (the port itself is released by the direct cable).
    ~CModemConnection() override;

    const char* GetClassName() const override { return "CModemConnection"; }
    unsigned GetSchema() const override { return kSchema; }

    // The serial payload (schema 0 without the flow-control code), then the modem definition
    // ID, the telephone number and the connect time-out.
    void Serialize(CArchive& ar) override;
    // The direct-cable keys, and SITE_MODEM (a definition's name among modems; an unknown
    // name is passed over), SITE_TELEPHONE, SITE_CONNECT_TIMEOUT. A malformed line is noted
    // in the stream and gives false.
    bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) override;
    // SITE_MODEM (only while the definition exists), SITE_TELEPHONE, SITE_CONNECT_TIMEOUT,
    // then the six direct-cable lines.
    void WriteConfig(std::string& out, const CNamedObjectList& modems) const override;
    int GetConnectionType() const override { return CONN_BUILTINMODEM; }
    // Opens the port, resets, initialises and dials, then counts down the connect time-out
    // (seconds) waiting for the connect response, telling inst how it goes. Fails at once if
    // inst has asked to disconnect or the definition is missing; a failed dial hangs up.
    bool Open(CInstrumentConnection* inst) override;
    // After the guard time: the escape sequence, hang-up and reset; then the port closes.
    // False if the port was not open.
    bool Close() override;
    CConnection* Clone() const override { return new CModemConnection(*this); }

    // The command with a carriage return. Waiting for OK (with an OK response defined): up to
    // three tries of purge, write, wait; true at the first OK. Without waiting: one purge and
    // write, and false. False without a definition attached or for an empty command.
    bool SendModemCommand(const std::string& command, bool waitForOk);
    // Reads lines, each with up to timeoutMs, until one contains expected (both upper-cased)
    // and gives true; false for an empty expected text, when a line's wait brings nothing,
    // or once kResponseLimitFactor times timeoutMs have passed in all (a line that never
    // stops talking cannot hold the caller for ever).
    bool WaitForResponse(const std::string& expected, unsigned timeoutMs);

    uint32_t GetModemId() const;
    void SetModemId(uint32_t id);
    std::string GetTelephoneNumber() const;
    void SetTelephoneNumber(const std::string& number);
    int32_t GetConnectTimeout() const;
    void SetConnectTimeout(int32_t seconds);
    // True while a definition is held (from a good port open to Close).
    bool HasModemAttached() const;

    // Registers the class with the transport archive registry and as the site's transport
    // of its kind.
    static void RegisterClass();

private:
    // The strings of the held definition, taken when it was attached: while held it cannot
    // be edited, and a copy stays valid even if the list is emptied under an open link.
    struct Attached {
        bool present = false;
        uint32_t id = 0;
        std::string toneDial, escape, hangup, initialization, reset, ok, connect;
    };
    // Gives back the held definition (in-use count down, if it still exists).
    void Detach();

    uint32_t m_modemId = 0;
    std::string m_telephoneNumber;
    int32_t m_connectTimeout = kDefaultConnectTimeout;

    Attached m_attached; // run-time only, under the state lock
};
