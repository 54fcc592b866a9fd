#include "sequences/StepSelOutput.h"

#include "base/StateLock.h"
#include "model/Archive.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"

std::string CStepSelOutput::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    const char port = m_output == 1 ? 'B' : 'A';
    if (flags & TEXT_SCRIPT)
        return GetName() + " \"" + port + "\"";
    return std::string("SELECT OUTPUT ") + port;
}

bool CStepSelOutput::Parse(TokenStream& ts) {
    if (ts.GetToken() == TOKEN_STRING) {
        const std::string& text = ts.GetTokenText();
        if (text == "A" || text == "a" || text == "B" || text == "b") {
            SetOutput(text == "A" || text == "a" ? 0 : 1);
            ts.GetToken();
            return true;
        }
    }
    ts.NoteError();
    return false;
}

int32_t CStepSelOutput::GetOutput() const {
    StateGuard guard(AppStateLock());
    return m_output;
}

void CStepSelOutput::SetOutput(int32_t output) {
    StateGuard guard(AppStateLock());
    m_output = output;
}

void CStepSelOutput::SerializeFields(CArchive& ar) {
    if (ar.IsStoring())
        ar.WriteInt32(m_output);
    else
        m_output = ar.ReadInt32();
}
