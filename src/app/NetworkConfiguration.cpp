#include "app/NetworkConfiguration.h"

#include "app/ActivityLog.h"
#include "app/FreshIdScope.h"
#include "app/NetworkConfigText.h"
#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ArchiveList.h"
#include "model/NamedObjectList.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum : unsigned { IDS_SAVE_FAILED = 61206, IDS_LOAD_FAILED = 61252 };

// The classes each list holds, as they are archived.
const char* const kModemClass = "CModemSettings";
const char* const kSiteClass = "CSiteConnection";
const char* const kInstrumentClass = "CInstrumentConnection";

std::string Format(unsigned id, const std::string& arg) {
    const std::string& f = LoadString(id);
    std::string out;
    const size_t at = f.find("%s");
    if (at == std::string::npos)
        return f;
    out = f.substr(0, at) + arg + f.substr(at + 2);
    return out;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

bool CNetworkConfiguration::IsStandardForm(const std::string& path) {
    const std::string& ext = LoadString(IDS_CONFIG_EXTENSION);
    if (path.size() < ext.size())
        return false;
    return CNamedObjectList::NamesEqual(path.substr(path.size() - ext.size()), ext);
}

std::vector<uint8_t> CNetworkConfiguration::SaveStandard(CVANTIQApp& app) {
    CArchive ar;
    ar.WriteUInt32(kMagic);
    ar.WriteUInt32(kVersion);
    StateGuard guard(AppStateLock());
    WriteObjectList(ar, app.Modems());
    WriteObjectList(ar, app.Sites());
    WriteObjectList(ar, app.Instruments());
    return ar.Bytes();
}

bool CNetworkConfiguration::LoadStandard(CVANTIQApp& app, const std::vector<uint8_t>& bytes) {
    const FreshIdScope ids(app);
    CNamedObjectList modems(10), sites(10), instruments(10);
    try {
        CArchive ar(bytes);
        bool header = false;
        if (bytes.size() >= 8) {
            const uint32_t magic = ar.ReadUInt32();
            const uint32_t version = ar.ReadUInt32();
            header = magic == kMagic && version >= kVersion;
        }
        if (!header) {
            // An older file without the header: its lists start after 28 bytes.
            ar.Seek(0);
            ar.Skip(28);
        }
        ReadObjectList(ar, modems, kModemClass);
        ReadObjectList(ar, sites, kSiteClass);
        ReadObjectList(ar, instruments, kInstrumentClass);
    } catch (const CArchiveException&) {
        return false;
    }
    app.ReplaceModel(modems, sites, instruments);
    return true;
}

bool CNetworkConfiguration::WriteFileAtomically(const std::string& path, const std::string& data) {
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    bool ok = true;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        // Keep the permissions of the file being replaced.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            ::chmod(temp.c_str(), st.st_mode & 07777);
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

bool CNetworkConfiguration::LoadSave(CVANTIQApp& app, const std::string& path, bool save,
                                     bool reportErrors) {
    auto fileError = [&] {
        if (reportErrors)
            app.ShowError(Format(save ? IDS_SAVE_FAILED : IDS_LOAD_FAILED, path));
        return false;
    };
    if (!IsStandardForm(path)) {
        if (!(save ? SaveText(app, path, reportErrors) : LoadText(app, path, reportErrors)))
            return false;
    } else if (save) {
        const std::vector<uint8_t> bytes = SaveStandard(app);
        if (!WriteFileAtomically(path, std::string(bytes.begin(), bytes.end())))
            return fileError();
    } else {
        std::vector<uint8_t> bytes;
        if (!ReadFile(path, bytes))
            return fileError();
        // A corrupt, cut or unknown file is refused whole, and said so.
        if (!LoadStandard(app, bytes))
            return fileError();
    }
    {
        StateGuard guard(AppStateLock());
        app.SetNamed(true);
    }
    app.SetModified(false);
    return true;
}

bool CNetworkConfiguration::SaveText(CVANTIQApp& app, const std::string& path, bool reportErrors) {
    std::string text, refusal;
    if (!CNetworkConfigText::Write(app, path, text, refusal)) {
        if (reportErrors)
            app.ShowError(refusal);
        return false;
    }
    if (!WriteFileAtomically(path, text)) {
        if (reportErrors)
            app.ShowError(Format(IDS_SAVE_FAILED, path));
        return false;
    }
    return true;
}

bool CNetworkConfiguration::LoadText(CVANTIQApp& app, const std::string& path, bool reportErrors) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::string message;
    CNetworkConfigText::LoadResult r = CNetworkConfigText::LoadResult::ReadError;
    if (file) {
        r = CNetworkConfigText::Load(app, file, path, message);
        std::fclose(file);
    }
    switch (r) {
    case CNetworkConfigText::LoadResult::Loaded:
        return true;
    case CNetworkConfigText::LoadResult::SyntaxError:
        if (reportErrors)
            app.ShowError(message);
        return false;
    default:
        if (reportErrors)
            app.ShowError(Format(IDS_LOAD_FAILED, path));
        return false;
    }
}

void CNetworkConfiguration::RegisterClasses() {
    CModemSettings::RegisterClass();
    CSiteConnection::RegisterClasses(); // with the direct-cable and TCP/IP transports
    CModemConnection::RegisterClass();
    CTAPIModemConnection::RegisterClass();
    CInstrumentConnection::RegisterClass();
}

void CNetworkConfiguration::Install(CVANTIQApp& app) {
    RegisterClasses();
    app.SetLoadSave(
        [&app](const std::string& path, bool save) { return LoadSave(app, path, save, true); });
}
