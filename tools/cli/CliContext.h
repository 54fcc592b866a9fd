#pragma once
// Everything one run of gasquill-cli works with: the options, an application object with
// in-memory settings, and the configuration, read from its file or made up from --tcp or
// --serial (one site "Command Line" with one instrument "Instrument").

#include "CliOptions.h"
#include "CliPrompt.h"

#include "base/MemorySettingsStore.h"

#include <cstdio>
#include <memory>
#include <string>

class CVANTIQApp;
class CInstrumentConnection;

class CliContext {
public:
    static constexpr const char* kAdHocSiteName = "Command Line";
    static constexpr const char* kAdHocInstrumentName = "Instrument";

    CliContext(const CliOptions& options, std::FILE* out, std::FILE* err);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    const CliOptions& Options() const { return m_options; }
    CVANTIQApp& App() { return *m_app; }
    std::FILE* Out() const { return m_out; }
    std::FILE* Err() const { return m_err; }

    // Opens the activity log when --log asked for one.
    void OpenLog();
    // Reads the configuration file or builds the one-site configuration. False once the
    // failure has been reported on stderr.
    bool Prepare();

    // Whether name is the name of an instrument of the configuration (ASCII case ignored).
    bool IsInstrumentName(const std::string& name) const;
    // The instrument of that name; with --tcp/--serial an empty name means the only one.
    // Null once the problem has been reported (a usage error: see UsageError).
    CInstrumentConnection* FindInstrument(const std::string& name);

    // Reports a failure of the operation: the program's own text, as it is.
    void Fail(const std::string& text) const;
    // Reports a usage error of a command.
    void UsageError(const std::string& text) const;

private:
    bool BuildAdHocConfiguration();

    CliOptions m_options;
    std::FILE* m_out;
    std::FILE* m_err;
    MemorySettingsStore m_settings;
    CliPrompt m_prompt;
    std::unique_ptr<CVANTIQApp> m_app;
};
