#include "das/DASParameter.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "das/DASChannel.h"
#include "das/DASPoint.h"
#include "das/DASText.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/InstrumentKeywords.h"

#include <cstdio>
#include <mutex>

namespace {

enum : unsigned { IDS_PARAMETER_TEXT = 61296 };

std::mutex g_editorLock;
CDASParameter::Editor g_editor;

bool IsMode(int code) {
    return code == KW_AVG || code == KW_INST || code == KW_MIN || code == KW_MAX;
}

// Reads the next token and notes an error on it unless it has the code.
bool Expect(TokenStream& ts, int code, int hint = HINT_NONE) {
    if (ts.GetToken(hint) == code)
        return true;
    ts.NoteError();
    return false;
}

} // namespace

CDASParameter::CDASParameter(const CDASParameter& other) : CParameter(other) {
    StateGuard guard(AppStateLock());
    m_channel = other.m_channel;
    m_mode = other.m_mode;
    m_precision = other.m_precision;
    m_instrumentStoresSamples = other.m_instrumentStoresSamples;
    m_storeSamples = other.m_storeSamples;
}

void CDASParameter::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CParameter::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteString(m_mode);
        ar.WriteInt32(m_precision);
        ar.WriteBool(m_instrumentStoresSamples);
        ar.WriteBool(m_storeSamples);
    } else {
        m_mode = ar.ReadString();
        m_precision = ar.ReadInt32();
        m_instrumentStoresSamples = ar.ReadBool();
        m_storeSamples = ar.ReadBool();
    }
}

CNamedObject* CDASParameter::Clone() const {
    return new CDASParameter(*this);
}

bool CDASParameter::Parse(TokenStream& ts, unsigned flags) {
    const bool ok = (flags & TEXT_SCRIPT) ? ParseScript(ts) : ParseListing(ts);
    if (ok)
        RefreshDescription();
    return ok;
}

bool CDASParameter::ParseScript(TokenStream& ts) {
    if (ts.GetTokenCode() != KW_PARAMETER) {
        ts.NoteError();
        return false;
    }
    if (!Expect(ts, TOKEN_STRING))
        return false;
    const std::string name = ts.GetTokenText();
    if (!IsMode(ts.GetToken())) {
        ts.NoteError();
        return false;
    }
    const std::string mode = ts.GetTokenText();
    if (!Expect(ts, TOKEN_INTEGER))
        return false;
    const int32_t precision = ts.GetIntValue();
    const bool store = ts.GetToken() == KW_STORESAMPLES;
    if (store)
        ts.GetToken();
    StateGuard guard(AppStateLock());
    SetName(name);
    m_mode = mode;
    m_precision = precision;
    m_storeSamples = m_instrumentStoresSamples = store;
    return true;
}

bool CDASParameter::ParseListing(TokenStream& ts) {
    // PARAMETER = name , MODE = mode , PRECISION = n [, STORE_SAMPLES = ON|OFF]
    if (ts.GetTokenCode() != KW_PARAMETER) {
        ts.NoteError();
        return false;
    }
    if (!Expect(ts, TOK_EQUALS) || !Expect(ts, TOKEN_STRING))
        return false;
    const std::string name = ts.GetTokenText();
    if (!Expect(ts, TOK_COMMA) || !Expect(ts, KW_MODE) || !Expect(ts, TOK_EQUALS))
        return false;
    if (!IsMode(ts.GetToken())) {
        ts.NoteError();
        return false;
    }
    const std::string mode = ts.GetTokenText();
    if (!Expect(ts, TOK_COMMA) || !Expect(ts, KW_PRECISION) || !Expect(ts, TOK_EQUALS) ||
        !Expect(ts, TOKEN_INTEGER))
        return false;
    const int32_t precision = ts.GetIntValue();
    bool store = false;
    if (ts.GetToken() == TOK_COMMA) {
        if (ts.GetToken() == KW_STORE_SAMPLES) {
            if (!Expect(ts, TOK_EQUALS))
                return false;
            const int value = ts.GetToken();
            if (value != KW_ON && value != KW_OFF) {
                ts.NoteError();
                return false;
            }
            store = value == KW_ON;
        }
        // Whatever else the line holds is not ours.
        ts.SetNeedLine(true);
        ts.GetToken();
    }
    StateGuard guard(AppStateLock());
    SetName(name);
    m_mode = mode;
    m_precision = precision;
    m_storeSamples = m_instrumentStoresSamples = store;
    return true;
}

std::string CDASParameter::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    char buffer[64];
    if (flags & TEXT_SCRIPT) {
        std::string text = "      parameter \"" + GetName() + "\" " + m_mode;
        std::snprintf(buffer, sizeof buffer, " %d", m_precision);
        text += buffer;
        const CInstrumentConnection* inst = m_channel ? m_channel->GetInstrument() : nullptr;
        if (m_storeSamples && inst && inst->HasCapability(CAP_NEW_DAS))
            text += " storesamples";
        return text + "\r\n";
    }
    return FormatText(IDS_PARAMETER_TEXT, GetDisplayName().c_str(), m_mode.c_str(),
                      static_cast<long>(GetSetNumber()), static_cast<int>(GetRecordCount()));
}

bool CDASParameter::Edit() {
    Editor editor;
    {
        std::lock_guard<std::mutex> guard(g_editorLock);
        editor = g_editor;
    }
    const bool ok = editor ? editor(*this) : false;
    if (ok)
        RefreshDescription();
    return ok;
}

void CDASParameter::SetEditor(Editor editor) {
    std::lock_guard<std::mutex> guard(g_editorLock);
    g_editor = std::move(editor);
}

void CDASParameter::RefreshDescription() {
    StateGuard guard(AppStateLock());
    const CInstrumentConnection* inst = m_channel ? m_channel->GetInstrument() : nullptr;
    if (!inst)
        return;
    if (auto* point = dynamic_cast<CDASPoint*>(inst->DasPoints().FindByName(GetName())))
        SetDescription(point->GetDescription());
}

#define LOCKED(type, name, member)                                                                 \
    type CDASParameter::Get##name() const {                                                        \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CDASParameter::Set##name(type value) {                                                    \
        StateGuard guard(AppStateLock());                                                          \
        member = value;                                                                            \
    }

LOCKED(CDASChannel*, Channel, m_channel)
LOCKED(int32_t, Precision, m_precision)
LOCKED(bool, InstrumentStoresSamples, m_instrumentStoresSamples)
LOCKED(bool, StoreSamples, m_storeSamples)
#undef LOCKED

std::string CDASParameter::GetMode() const {
    StateGuard guard(AppStateLock());
    return m_mode;
}
void CDASParameter::SetMode(const std::string& mode) {
    StateGuard guard(AppStateLock());
    m_mode = mode;
}

void CDASParameter::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CDASParameter", [] { return new CDASParameter; });
}
