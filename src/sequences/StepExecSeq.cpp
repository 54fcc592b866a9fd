#include "sequences/StepExecSeq.h"

#include "base/StateLock.h"
#include "model/Archive.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"

std::string CStepExecSeq::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    if (flags & TEXT_SCRIPT)
        return GetName() + " \"" + m_sequenceName + "\"";
    return "EXECUTE SEQUENCE " + m_sequenceName;
}

bool CStepExecSeq::Parse(TokenStream& ts) {
    if (ts.GetToken() != TOKEN_STRING) {
        ts.NoteError();
        return false;
    }
    std::string name = ts.GetTokenText();
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    SetSequenceName(name);
    ts.GetToken();
    return true;
}

std::string CStepExecSeq::GetSequenceName() const {
    StateGuard guard(AppStateLock());
    return m_sequenceName;
}

void CStepExecSeq::SetSequenceName(const std::string& name) {
    StateGuard guard(AppStateLock());
    m_sequenceName = name;
}

void CStepExecSeq::SerializeFields(CArchive& ar) {
    if (ar.IsStoring())
        ar.WriteString(m_sequenceName);
    else
        m_sequenceName = ar.ReadString();
}
