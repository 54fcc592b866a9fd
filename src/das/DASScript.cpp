#include "das/DASScript.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "das/AtomicFileWriter.h"
#include "das/DASChannel.h"
#include "das/DASText.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"

#include <cstdio>
#include <memory>

namespace {

enum : unsigned {
    IDS_SAVE_SCRIPT_FAILED = 61211,
    IDS_SCRIPT_EXTENSION = 61225,
    IDS_SCRIPT_SYNTAX = 61256,
    IDS_SCRIPT_LOAD_FAILED = 61257,
    IDS_SCRIPT_NAME = 61300,
};

} // namespace

std::string BuildDASScript(const CInstrumentConnection& instrument, unsigned flags) {
    StateGuard guard(AppStateLock());
    std::string text;
    if (flags & TEXT_SCRIPT)
        text += "dasbegin\r\n";
    for (const CNamedObject* obj : instrument.DasChannels())
        text += static_cast<const CDASChannel*>(obj)->GetText(flags);
    if (flags & TEXT_SCRIPT)
        text += "dasend\r\n";
    return text;
}

bool ReadDASScript(TokenStream& ts, CInstrumentConnection& instrument) {
    if (ts.GetTokenCode() != KW_DASBEGIN) {
        ts.NoteError();
        return false;
    }
    ts.GetToken();
    while (ts.GetTokenCode() == KW_CHANNELBEGIN) {
        auto channel = std::make_unique<CDASChannel>(&instrument);
        if (!channel->Parse(ts, TEXT_SCRIPT))
            return false;
        StateGuard guard(AppStateLock());
        instrument.DasChannels().AddTail(channel.release());
    }
    if (ts.GetTokenCode() != KW_DASEND) {
        ts.NoteError();
        return false;
    }
    if (ts.GetToken() != TOKEN_END || !ts.AtEndOfInput()) {
        ts.NoteError();
        return false;
    }
    return true;
}

bool LoadDASScriptFile(CInstrumentConnection& instrument, const std::string& path,
                       std::string& errorText) {
    errorText.clear();
    {
        StateGuard guard(AppStateLock());
        instrument.DasChannels().DeleteAll();
    }
    bool ok = false;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        FileInstrumentTokenStream ts(file);
        ts.SetSpanLines(true);
        ts.GetToken();
        ok = ReadDASScript(ts, instrument);
        const bool readError = std::ferror(file) != 0;
        std::fclose(file);
        if (!ok && !readError)
            errorText = FormatText(IDS_SCRIPT_SYNTAX, ts.GetErrorText().c_str(),
                                   static_cast<int>(ts.GetErrorLine()), path.c_str());
        else if (readError)
            ok = false;
    }
    if (!ok) {
        if (errorText.empty())
            errorText = FormatText(IDS_SCRIPT_LOAD_FAILED, path.c_str());
        StateGuard guard(AppStateLock());
        instrument.DasChannels().DeleteAll();
        DASLogMessage(LOG_ERROR, errorText);
    }
    instrument.SetDasModified(false);
    DASSetModified();
    return ok;
}

bool SaveDASScriptFile(CInstrumentConnection& instrument, const std::string& path,
                       std::string& errorText) {
    errorText.clear();
    const std::string script = BuildDASScript(instrument, TEXT_SCRIPT);
    if (!script.empty() && !AtomicFileWriter::WriteFile(path, script)) {
        errorText = FormatText(IDS_SAVE_SCRIPT_FAILED, path.c_str());
        DASLogMessage(LOG_ERROR, errorText);
        return false;
    }
    instrument.SetDasModified(false);
    return true;
}

std::string ProposedDASScriptName(const CInstrumentConnection& instrument) {
    return FormatText(IDS_SCRIPT_NAME, instrument.GetName().c_str(),
                      instrument.GetSerialNumber().c_str(),
                      LoadString(IDS_SCRIPT_EXTENSION).c_str());
}
