#include "das/DataFileWriter.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "das/AtomicFileWriter.h"
#include "das/DASChannel.h"
#include "das/DASText.h"
#include "das/DataRecordSet.h"
#include "instruments/InstrumentConnection.h"

#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

enum : unsigned {
    IDS_ERROR_CAPTION = 61207,
    IDS_SAVING_DATA = 61220,
    IDS_WRITE_ERROR = 61221,
    IDS_DATA_EXTENSION = 61224,
    IDS_DATE = 61298,
    IDS_SAMPLES = 61299,
    IDS_TIME = 61322,
};

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Where the lines go: the end of an existing file, or a temporary file that replaces it.
class Sink {
public:
    bool OpenAppend(const std::string& path) {
        m_append = std::fopen(path.c_str(), "ab");
        if (m_append)
            std::setvbuf(m_append, nullptr, _IOFBF, 1 << 16);
        return m_append != nullptr;
    }
    bool OpenReplace(const std::string& path) { return m_replace.Open(path); }
    bool Write(const std::string& line) {
        if (m_append)
            return std::fwrite(line.data(), 1, line.size(), m_append) == line.size();
        return m_replace.Write(line);
    }
    bool Close() {
        if (m_append) {
            const bool ok = std::fflush(m_append) == 0;
            const bool closed = std::fclose(m_append) == 0;
            m_append = nullptr;
            return closed && ok;
        }
        return m_replace.Commit();
    }
    ~Sink() {
        if (m_append)
            std::fclose(m_append);
    }

private:
    std::FILE* m_append = nullptr;
    AtomicFileWriter m_replace;
};

} // namespace

bool SaveRecordSet(const CDataRecordSet& set, const std::string& path, bool append,
                   bool showSamples, UserPrompt* prompt, const DataFileProgress* progress,
                   std::string* errorText) {
    const int32_t rows = set.GetRows();
    const int32_t count = set.GetCount();
    if (count == 0 || rows == 0 || path.empty())
        return false;
    if (progress && progress->status)
        progress->status(FormatText(IDS_SAVING_DATA, path.c_str()));
    if (progress && progress->range)
        progress->range(rows);

    // What each column needs, taken once under the lock.
    struct Column {
        CParameter* parameter;
        int precision;
        bool samples;
    };
    std::vector<Column> columns;
    std::string header;
    const bool appending = append && FileExists(path);
    const char* sep = appending ? ", " : ",";
    {
        StateGuard guard(AppStateLock());
        header = LoadString(IDS_DATE) + sep + LoadString(IDS_TIME);
        for (int32_t i = 0; i < count; ++i) {
            CParameter* p = set.GetParameter(i);
            auto* dp = dynamic_cast<CDASParameter*>(p);
            const bool samples = showSamples && dp && dp->GetStoreSamples();
            columns.push_back({p, dp ? dp->GetPrecision() : 0, samples});
            header += sep + p->GetDisplayName();
            if (samples)
                header += sep + LoadString(IDS_SAMPLES);
        }
        header += "\r\n";
    }

    Sink sink;
    bool ok = appending ? sink.OpenAppend(path) : sink.OpenReplace(path);
    if (ok && !appending)
        ok = sink.Write(header);
    std::string line;
    for (int32_t r = 0; ok && r < rows; ++r) {
        line.clear();
        {
            StateGuard guard(AppStateLock());
            for (int32_t i = 0; i < count; ++i) {
                const Column& c = columns[static_cast<size_t>(i)];
                const auto& records = c.parameter->Records();
                // A download that started since the set was filled may have emptied it.
                if (static_cast<size_t>(r) >= records.size())
                    continue;
                unsigned flags = REC_VALUE | (c.samples ? unsigned{REC_SAMPLES} : 0u);
                if (i == 0)
                    flags |= REC_DATE_TIME;
                else if (!line.empty())
                    line += sep;
                records[static_cast<size_t>(r)].AppendText(line, flags, c.precision);
            }
        }
        line += "\r\n";
        ok = sink.Write(line);
        if (progress && progress->step)
            progress->step();
    }
    ok = sink.Close() && ok;
    if (progress && progress->status)
        progress->status(std::string());
    if (progress && progress->range)
        progress->range(0);
    if (ok)
        return true;
    const std::string text = FormatText(IDS_WRITE_ERROR, path.c_str());
    if (errorText)
        *errorText = text;
    DASLogMessage(LOG_ERROR, text);
    if (prompt)
        prompt->Ask(text, LoadString(IDS_ERROR_CAPTION), PromptButtons::Ok, PromptIcon::Exclamation,
                    PromptResult::Ok);
    return false;
}

std::string ProposedDataFileName(const CDataRecordSet& set, const DateTime& today) {
    StateGuard guard(AppStateLock());
    auto* p = dynamic_cast<CDASParameter*>(set.GetParameter(0));
    if (!p)
        return {};
    const CDASChannel* channel = p->GetChannel();
    const CInstrumentConnection* inst = channel ? channel->GetInstrument() : nullptr;
    const std::string instName = inst ? inst->GetName() : std::string();
    const std::string serial = inst ? inst->GetSerialNumber() : std::string();
    const std::string channelName = channel ? channel->GetName() : std::string();
    return FormatPrintf("%s-%s-%s-%s-%04d%02d%02d-%ld%s", instName.c_str(), serial.c_str(),
                        channelName.c_str(), p->GetName().c_str(), today.GetYear(),
                        today.GetMonth(), today.GetDay(), static_cast<long>(p->GetSetNumber()),
                        LoadString(IDS_DATA_EXTENSION).c_str());
}
