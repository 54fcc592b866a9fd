#include "sequences/SequenceScript.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "model/TextFlags.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceSupport.h"
#include "sequences/StepExecSeq.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum : unsigned {
    IDS_SAVE_FAILED = 61241,
    IDS_SYNTAX_ERROR = 61276,
    IDS_LOAD_FAILED = 61277,
    IDS_PROPOSED_NAME = 61301,
};

template <class... Args> std::string FormatText(unsigned id, const Args&... args) {
    const std::string& format = LoadString(id);
    const int n = std::snprintf(nullptr, 0, format.c_str(), args...);
    if (n <= 0)
        return format;
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), format.c_str(), args...);
    return std::string(buffer.data(), static_cast<size_t>(n));
}

bool Unquotable(const std::string& text) {
    return text.find_first_of("\"\r\n") != std::string::npos;
}

void RemoveAllSequences(CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    inst.Sequences().DeleteAll();
}

// Writes data through a temporary file beside path that is renamed over it, so a failed save
// leaves the old file as it was; the new file keeps the old one's permissions.
bool WriteAtomically(const std::string& path, const std::string& data) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    bool ok = true;
    for (size_t done = 0; ok && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

void Report(const std::string& text, std::string* message) {
    if (message)
        *message = text;
    CSequenceSupport::ReportError(text);
}

} // namespace

std::string BuildSequenceScript(const CInstrumentConnection& inst, unsigned flags) {
    StateGuard guard(AppStateLock());
    std::string text = "SEQLISTBEGIN\r\n";
    for (const CNamedObject* obj : inst.Sequences())
        if (auto* seq = dynamic_cast<const CSequence*>(obj))
            text += seq->GetText(flags | TEXT_SCRIPT);
    text += "SEQLISTEND\r\n";
    return text;
}

unsigned SequenceSendFlags(const CInstrumentConnection& inst) {
    return TEXT_SCRIPT | (inst.HasCapability(CAP_CAL_DURATION) ? TEXT_STEP_NAMES : 0u);
}

std::string FindUnwritableSequence(const CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    for (const CNamedObject* obj : inst.Sequences()) {
        auto* seq = dynamic_cast<const CSequence*>(obj);
        if (!seq)
            continue;
        bool bad = Unquotable(seq->GetName());
        for (const CNamedObject* s : seq->Steps())
            if (auto* exec = dynamic_cast<const CStepExecSeq*>(s))
                bad = bad || Unquotable(exec->GetSequenceName());
        if (bad)
            return seq->GetName();
    }
    return {};
}

std::string UnwritableSequenceMessage(const std::string& sequenceName) {
    std::string shown;
    for (char c : sequenceName)
        shown += (c == '\r' || c == '\n') ? ' ' : c;
    return "Sequence '" + shown +
           "' has a double quote or a line break in its name or in the name of a sequence it "
           "executes. The sequence configuration script cannot hold it; rename it first.";
}

bool ReadSequenceList(TokenStream& ts, CInstrumentConnection& inst,
                      const std::function<bool()>& onSequence) {
    if (ts.GetToken() != KW_SEQLISTBEGIN) {
        ts.NoteError();
        return false;
    }
    int code = ts.GetToken();
    while (code == KW_SEQBEGIN) {
        auto seq = std::make_unique<CSequence>(&inst);
        if (!seq->Parse(ts))
            return false;
        {
            StateGuard guard(AppStateLock());
            inst.Sequences().AddTail(seq.release());
        }
        if (onSequence && !onSequence())
            return false;
        code = ts.GetTokenCode();
    }
    if (code != KW_SEQLISTEND || ts.GetToken() != TOKEN_END) {
        ts.NoteError();
        return false;
    }
    return true;
}

bool LoadSequenceScript(CInstrumentConnection& inst, const std::string& path,
                        std::string* message) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    RemoveAllSequences(inst);
    if (!file) {
        Report(FormatText(IDS_LOAD_FAILED, path.c_str()), message);
        return false;
    }
    FileInstrumentTokenStream ts(file, FileInstrumentTokenStream::kDefaultBufferSize);
    ts.SetSpanLines(true);
    ReadSequenceList(ts, inst);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    bool ok = true;
    if (readError) {
        RemoveAllSequences(inst);
        Report(FormatText(IDS_LOAD_FAILED, path.c_str()), message);
        ok = false;
    } else if (ts.GetErrorCount() > 0) {
        RemoveAllSequences(inst);
        Report(FormatText(IDS_SYNTAX_ERROR, ts.GetErrorText().c_str(),
                          static_cast<int>(ts.GetErrorLine()), path.c_str()),
               message);
        ok = false;
    }
    inst.SetSequencesModified(false);
    CSequenceSupport::MarkModified();
    return ok;
}

bool SaveSequenceScript(CInstrumentConnection& inst, const std::string& path,
                        std::string* message) {
    const std::string unwritable = FindUnwritableSequence(inst);
    if (!unwritable.empty()) {
        Report(UnwritableSequenceMessage(unwritable), message);
        return false;
    }
    const std::string text = BuildSequenceScript(inst, kSequenceFileFlags);
    if (!text.empty()) {
        // Through a temporary file beside it: a failed save keeps the old file.
        const bool ok = WriteAtomically(path, text);
        if (!ok) {
            Report(FormatText(IDS_SAVE_FAILED, path.c_str()), message);
            return false;
        }
    }
    inst.SetSequencesModified(false);
    return true;
}

std::string ProposedSequenceScriptName(const CInstrumentConnection& inst) {
    return FormatText(IDS_PROPOSED_NAME, inst.GetName().c_str(), inst.GetSerialNumber().c_str(),
                      ".txt");
}
