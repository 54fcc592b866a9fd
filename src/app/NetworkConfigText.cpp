#include "app/NetworkConfigText.h"

#include "app/FreshIdScope.h"
#include "app/VANTIQApp.h"
#include "base/EscapeText.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/NamedObjectList.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <random>
#include <unordered_map>
#include <unordered_set>

namespace {

enum : unsigned { IDS_CONFIG_SYNTAX_ERROR = 61238 };

// ---- writing ---------------------------------------------------------------------------

void Assign(std::string& out, const char* indent, int keyword, const std::string& value) {
    out += indent;
    out += ConfigFileTokenStream::TokenName(keyword);
    out += " = ";
    out += value;
    out += "\r\n";
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// A block can be read back only if every line is one assignment whose value, if quoted,
// holds no quote and no line break. Checking the finished lines catches every string of the
// block, the transports' included, whoever wrote them.
bool BlockReadsBack(const std::string& block) {
    size_t start = 0;
    while (start < block.size()) {
        const size_t end = block.find("\r\n", start);
        if (end == std::string::npos)
            return false; // every line ends with CR LF
        const std::string line = block.substr(start, end - start);
        start = end + 2;
        if (line.find_first_of("\r\n") != std::string::npos)
            return false;
        const size_t open = line.find('"');
        if (open == std::string::npos)
            continue;
        const size_t close = line.find('"', open + 1);
        if (close != line.size() - 1)
            return false;
    }
    return true;
}

// A quoted value ends at the next quote or line end, and a value could even hold a whole
// assignment of its own ("x\"\r\n  MODEM_OK = \"y"), so each string that goes between quotes
// is checked itself, and the finished lines as well for anything a transport adds.
bool Quotable(const std::string& s) {
    return s.find_first_of("\"\r\n") == std::string::npos;
}

bool ModemQuotable(const CModemSettings& m) {
    for (const std::string& s :
         {m.GetName(), m.GetToneDial(), m.GetEscape(), m.GetHangup(), m.GetInitialization(),
          m.GetReset(), m.GetOkResponse(), m.GetConnectResponse()})
        if (!Quotable(s))
            return false;
    return true;
}

bool SiteQuotable(CSiteConnection& site) {
    if (!Quotable(site.GetName()))
        return false;
    CConnection* transport = site.GetEditedConnection();
    if (auto* serial = dynamic_cast<CCommPortConnection*>(transport);
        serial && !Quotable(serial->GetPortName()))
        return false;
    if (auto* modem = dynamic_cast<CModemConnection*>(transport);
        modem && !Quotable(modem->GetTelephoneNumber()))
        return false;
    if (auto* tapi = dynamic_cast<CTAPIModemConnection*>(transport);
        tapi && !Quotable(tapi->GetTelephoneNumber()))
        return false;
    if (auto* tcp = dynamic_cast<CTCPConnection*>(transport); tcp && !Quotable(tcp->GetAddress()))
        return false;
    return true;
}

bool InstrumentQuotable(const CInstrumentConnection& inst) {
    // The site's name is checked with the site; the codes are escaped.
    return Quotable(inst.GetName()) && (inst.GetPort() != CInstrumentConnection::PORT_CUSTOM ||
                                        Quotable(inst.GetModeVarName()));
}

std::string Refusal(const std::string& path, const char* kind, const std::string& name) {
    return "Unable to save network configuration file " + path + " as a text file: the " + kind +
           " \"" + name +
           "\" has a name or setting that holds a double quote or a line break, which a text "
           "file cannot hold. Remove it, or save the configuration as a standard file (.cfg).";
}

// The first site with each ID, as a walk from the head would find it.
using SiteIndex = std::unordered_map<uint32_t, const CNamedObject*>;

void WriteInstrumentBlock(std::string& out, const CInstrumentConnection& inst,
                          const SiteIndex& sites) {
    out += "\r\n";
    Assign(out, "", CFG_INST_NAME, Quoted(inst.GetName()));
    if (inst.GetUseInstrumentId())
        Assign(out, "  ", CFG_INST_ID, std::to_string(inst.GetInstrumentId()));
    const int32_t port = inst.GetPort();
    Assign(out, "  ", CFG_INST_PORT, std::to_string(port));
    if (port == CInstrumentConnection::PORT_CUSTOM)
        Assign(out, "  ", CFG_INST_MODE_VAR_NAME, Quoted(inst.GetModeVarName()));
    if (auto it = sites.find(inst.GetSiteId()); it != sites.end())
        Assign(out, "  ", CFG_INST_SITE, Quoted(it->second->GetName()));
    // Numbers go out as signed 32-bit values; the reader takes them back to the same bits.
    if (inst.GetUsePassword())
        Assign(out, "  ", CFG_INST_PASSWORD,
               std::to_string(static_cast<int32_t>(inst.GetPassword())));
    if (inst.GetAutoDisconnect())
        Assign(out, "  ", CFG_INST_AUTO_DISCONNECT,
               std::to_string(inst.GetAutoDisconnectMinutes()));
    if (inst.GetUseSelect())
        Assign(out, "  ", CFG_INST_SELECT,
               Quoted(CNetworkConfigText::EscapeCode(inst.GetSelectCode())));
    if (inst.GetUseDeselect())
        Assign(out, "  ", CFG_INST_DESELECT,
               Quoted(CNetworkConfigText::EscapeCode(inst.GetDeselectCode())));
    Assign(out, "  ", CFG_INST_RECV_TIMEOUT, std::to_string(inst.GetReceiveTimeout()));
    Assign(out, "  ", CFG_INST_XMIT_DELAY, std::to_string(inst.GetTransmitDelay()));
}

// ---- reading ---------------------------------------------------------------------------

std::string FoldName(std::string name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

// One text load: the stream, the lists being filled and the IDs handed out so far.
class Reader {
public:
    Reader(ConfigFileTokenStream& ts, CNamedObjectList& modems, CNamedObjectList& sites,
           CNamedObjectList& instruments)
        : m_ts(ts), m_modems(modems), m_sites(sites), m_instruments(instruments) {}

    bool File() {
        m_ts.SetSpanLines(true);
        m_ts.GetToken();
        for (;;) {
            switch (m_ts.GetTokenCode()) {
            case CFG_MODEM_NAME:
                if (!ModemBlock())
                    return false;
                break;
            case CFG_SITE_NAME:
                if (!SiteBlock())
                    return false;
                break;
            case CFG_INST_NAME:
                if (!InstrumentBlock())
                    return false;
                break;
            default:
                if (m_ts.AtEndOfInput())
                    return true;
                return Fail();
            }
        }
    }

private:
    bool Fail() {
        m_ts.NoteError();
        return false;
    }

    // "=" and a value token of the wanted code, leaving the value current.
    bool Value(int wanted) {
        if (m_ts.GetToken() != CFG_EQUALS)
            return Fail();
        if (m_ts.GetToken() != wanted)
            return Fail();
        return true;
    }

    static bool StartsBlock(int code) {
        return code == CFG_MODEM_NAME || code == CFG_SITE_NAME || code == CFG_INST_NAME;
    }
    bool BlockEnds() const { return StartsBlock(m_ts.GetTokenCode()) || m_ts.AtEndOfInput(); }

    // Every object read here gets an ID of its own: the objects' constructors draw from the
    // application, which does not know the objects of this file yet, so a repeat among them
    // is drawn again.
    void GiveFreshId(CNamedObject& obj) {
        uint32_t id = obj.GetId();
        while (id == 0 || m_ids.count(id)) {
            if (CVANTIQApp* app = CVANTIQApp::Get())
                id = app->GenerateObjectId();
            else
                id = static_cast<uint32_t>(m_random());
        }
        m_ids.insert(id);
        obj.SetId(id);
    }

    bool ModemBlock() {
        if (!Value(TOKEN_STRING))
            return false;
        auto modem = std::make_unique<CModemSettings>();
        modem->SetName(m_ts.GetTokenText());
        GiveFreshId(*modem);
        m_ts.GetToken();
        const uint32_t errors = m_ts.GetErrorCount();
        const bool ok = modem->ReadConfig(m_ts);
        m_modems.AddTail(modem.release());
        if (m_ts.GetErrorCount() != errors)
            return false;
        if (!ok)
            return Fail();
        // The modem's keys end at the first token that is not one of them; it must start
        // the next block or end the file.
        return BlockEnds() || Fail();
    }

    bool SiteBlock() {
        // The site reads its own block from the SITE_NAME token on: its name, its kind and
        // then its transport's lines, up to the token that starts the next block.
        auto site = std::make_unique<CSiteConnection>();
        GiveFreshId(*site);
        const uint32_t errors = m_ts.GetErrorCount();
        const bool ok = site->ReadConfig(m_ts, m_modems);
        m_siteByName.emplace(FoldName(site->GetName()), site.get());
        m_sites.AddTail(site.release());
        if (!ok) {
            if (m_ts.GetErrorCount() == errors)
                m_ts.NoteError();
            return false;
        }
        return BlockEnds() || Fail();
    }

    bool InstrumentBlock() {
        if (!Value(TOKEN_STRING))
            return false;
        auto inst = std::make_unique<CInstrumentConnection>();
        inst->SetName(m_ts.GetTokenText());
        GiveFreshId(*inst);
        CInstrumentConnection* i = inst.get();
        m_instruments.AddTail(inst.release());
        m_ts.GetToken();
        while (!BlockEnds()) {
            const int key = m_ts.GetTokenCode();
            switch (key) {
            case CFG_INST_MODE_VAR_NAME:
            case CFG_INST_SITE:
            case CFG_INST_SELECT:
            case CFG_INST_DESELECT:
                if (!Value(TOKEN_STRING))
                    return false;
                break;
            case CFG_INST_ID:
            case CFG_INST_PORT:
            case CFG_INST_PASSWORD:
            case CFG_INST_AUTO_DISCONNECT:
            case CFG_INST_RECV_TIMEOUT:
            case CFG_INST_XMIT_DELAY:
                if (!Value(TOKEN_INTEGER))
                    return false;
                break;
            default:
                return Fail();
            }
            const std::string& text = m_ts.GetTokenText();
            const int32_t n = m_ts.GetIntValue();
            switch (key) {
            case CFG_INST_ID:
                i->SetInstrumentId(n);
                i->SetUseInstrumentId(true);
                break;
            case CFG_INST_PORT:
                i->SetPortAndDefaultName(n);
                break;
            case CFG_INST_MODE_VAR_NAME:
                i->SetModeVarName(text);
                break;
            case CFG_INST_SITE:
                // A site named here must have been read before; an unknown name is ignored.
                if (auto it = m_siteByName.find(FoldName(text)); it != m_siteByName.end())
                    i->SetSiteId(it->second->GetId());
                break;
            case CFG_INST_PASSWORD:
                i->SetPassword(static_cast<uint32_t>(n));
                i->SetUsePassword(true);
                break;
            case CFG_INST_AUTO_DISCONNECT:
                i->SetAutoDisconnectMinutes(n);
                i->SetAutoDisconnect(true);
                break;
            case CFG_INST_SELECT:
                i->SetSelectCode(UnescapeText(text));
                i->SetUseSelect(true);
                break;
            case CFG_INST_DESELECT:
                i->SetDeselectCode(UnescapeText(text));
                i->SetUseDeselect(true);
                break;
            case CFG_INST_RECV_TIMEOUT:
                i->SetReceiveTimeout(n);
                break;
            default:
                i->SetTransmitDelay(n);
                break;
            }
            m_ts.GetToken();
        }
        return true;
    }

    ConfigFileTokenStream& m_ts;
    CNamedObjectList& m_modems;
    CNamedObjectList& m_sites;
    CNamedObjectList& m_instruments;
    std::unordered_set<uint32_t> m_ids;
    // The sites read so far by their names as the list's name comparison sees them (A-Z
    // folded), the first of equal names kept: one look-up per INST_SITE line instead of a
    // walk over every site.
    std::unordered_map<std::string, const CNamedObject*> m_siteByName;
    std::minstd_rand m_random{0x5EED};
};

// The message names the file by its full path, whatever name it was opened by.
std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error || path.empty() ? path : full.string();
}

std::string SyntaxErrorMessage(const ConfigFileTokenStream& ts, const std::string& path) {
    const std::string& format = LoadString(IDS_CONFIG_SYNTAX_ERROR);
    std::string out;
    size_t argument = 0;
    for (size_t k = 0; k < format.size(); ++k) {
        if (format[k] == '%' && k + 1 < format.size() &&
            (format[k + 1] == 's' || format[k + 1] == 'd')) {
            switch (argument++) {
            case 0:
                out += ts.GetErrorText();
                break;
            case 1:
                out += std::to_string(ts.GetErrorLine());
                break;
            default:
                out += FullPath(path);
                break;
            }
            ++k;
        } else {
            out += format[k];
        }
    }
    return out;
}

} // namespace

std::string CNetworkConfigText::EscapeCode(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    bool afterEscape = false;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
            afterEscape = false;
        } else if (c < 0x20 || c > 0x7E || c == '"' || (afterEscape && std::isxdigit(c))) {
            out += '\\';
            out += 'x';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
            afterEscape = true;
        } else {
            out += ch;
            afterEscape = false;
        }
    }
    return out;
}

bool CNetworkConfigText::Write(CVANTIQApp& app, const std::string& path, std::string& out,
                               std::string& refusal) {
    out.clear();
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : app.Modems()) {
        auto* modem = dynamic_cast<CModemSettings*>(obj);
        if (!modem)
            continue;
        std::string block;
        modem->WriteConfig(block);
        if (!ModemQuotable(*modem) || !BlockReadsBack(block)) {
            refusal = Refusal(path, "modem definition", modem->GetName());
            return false;
        }
        out += block;
    }
    for (CNamedObject* obj : app.Sites()) {
        auto* site = dynamic_cast<CSiteConnection*>(obj);
        if (!site)
            continue;
        std::string block;
        site->WriteConfig(block, app.Modems());
        if (!SiteQuotable(*site) || !BlockReadsBack(block)) {
            refusal = Refusal(path, "site", site->GetName());
            return false;
        }
        out += block;
    }
    SiteIndex siteIndex;
    for (const CNamedObject* site : app.Sites())
        siteIndex.emplace(site->GetId(), site);
    for (CNamedObject* obj : app.Instruments()) {
        auto* inst = dynamic_cast<CInstrumentConnection*>(obj);
        if (!inst)
            continue;
        std::string block;
        WriteInstrumentBlock(block, *inst, siteIndex);
        if (!InstrumentQuotable(*inst) || !BlockReadsBack(block)) {
            refusal = Refusal(path, "instrument", inst->GetName());
            return false;
        }
        out += block;
    }
    return true;
}

bool CNetworkConfigText::Read(ConfigFileTokenStream& ts, CNamedObjectList& modems,
                              CNamedObjectList& sites, CNamedObjectList& instruments) {
    Reader reader(ts, modems, sites, instruments);
    return reader.File();
}

CNetworkConfigText::LoadResult CNetworkConfigText::Load(CVANTIQApp& app, std::FILE* file,
                                                        const std::string& path,
                                                        std::string& message) {
    const FreshIdScope ids(app);
    CNamedObjectList modems(10), sites(10), instruments(10);
    ConfigFileTokenStream ts(file, FileInstrumentTokenStream::kDefaultBufferSize);
    const bool ok = Read(ts, modems, sites, instruments);
    if (file && std::ferror(file))
        return LoadResult::ReadError;
    if (!ok) {
        message = SyntaxErrorMessage(ts, path);
        return LoadResult::SyntaxError;
    }
    app.ReplaceModel(modems, sites, instruments);
    return LoadResult::Loaded;
}

CNetworkConfigText::LoadResult CNetworkConfigText::LoadBytes(CVANTIQApp& app,
                                                             const std::string& bytes,
                                                             const std::string& path,
                                                             std::string& message) {
    if (bytes.empty())
        return Load(app, nullptr, path, message); // a stream without a file reads nothing
    std::FILE* file = ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
    if (!file)
        return LoadResult::ReadError;
    const LoadResult r = Load(app, file, path, message);
    std::fclose(file);
    return r;
}
