#pragma once
// A modem definition: the AT-command strings and responses the built-in modem transport uses
// to reset, initialise, dial and hang up a modem on a serial port. Built-in-modem sites refer
// to a definition by its object ID. Every accessor takes the application state lock.

#include "model/NamedObject.h"

#include <cstdint>
#include <functional>
#include <string>

class ConfigFileTokenStream;

class CModemSettings : public CNamedObject {
public:
    static constexpr unsigned kSchema = 7;

    // Defaults: "Standard", "ATDT", "+++", "ATH0", "AT &F E0 M0 Q0 V1", "ATZ", "OK",
    // "CONNECT"; a fresh object ID from the application (0 without one).
    CModemSettings();
    // Copies the name and the seven strings; a fresh object ID and in-use count 0.
    CModemSettings(const CModemSettings& other);
    CModemSettings& operator=(const CModemSettings&) = delete;

    const char* GetClassName() const override { return "CModemSettings"; }
    unsigned GetSchema() const override { return kSchema; }
    CNamedObject* Clone() const override { return new CModemSettings(*this); }

    // Stores the current schema; loads schemas 6 and 7 (6 carries one more string, skipped).
    // Older schemas held a fixed binary record that is not read: they raise BadSchema.
    void Serialize(CArchive& ar) override;

    // The text form. ReadConfig takes the assignments of a modem block after its MODEM_NAME
    // line: the stream's current token is the first candidate keyword; it stops, without
    // consuming it, at the first token that is not a modem keyword. A malformed assignment is
    // recorded in the stream (NoteError) and ends the block with false, the bad token current.
    bool ReadConfig(ConfigFileTokenStream& ts);
    // Appends the block: an empty line, MODEM_NAME and the seven command lines (CR LF).
    void WriteConfig(std::string& out) const;

    // Shows the Modem Properties dialog (installed by the GUI); true if the user pressed OK.
    bool EditProperties();
    using PropertiesEditor = std::function<bool(CModemSettings&)>;
    static void SetPropertiesEditor(PropertiesEditor editor);

    std::string GetToneDial() const;
    std::string GetEscape() const;
    std::string GetHangup() const;
    std::string GetInitialization() const;
    std::string GetReset() const;
    std::string GetOkResponse() const;
    std::string GetConnectResponse() const;
    void SetToneDial(const std::string& s);
    void SetEscape(const std::string& s);
    void SetHangup(const std::string& s);
    void SetInitialization(const std::string& s);
    void SetReset(const std::string& s);
    void SetOkResponse(const std::string& s);
    void SetConnectResponse(const std::string& s);
    // The name and the seven strings back to the defaults (the dialog's Defaults button).
    void SetDefaults();

    // Held by an open built-in-modem link; a held definition is neither edited nor deleted.
    void IncrementInUse();
    // Never goes below 0.
    void DecrementInUse();
    bool IsInUse() const;
    int32_t GetInUseCount() const;
    // The name, with " (In use)" while in use.
    std::string GetDisplayName() const;

    // Registers the class with the archive's class registry (for loading the modems list).
    static void RegisterClass();

private:
    std::string m_toneDial;
    std::string m_escape;
    std::string m_hangup;
    std::string m_initialization;
    std::string m_reset;
    std::string m_okResponse;
    std::string m_connectResponse;
    int32_t m_inUse = 0;
};
