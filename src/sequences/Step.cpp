#include "sequences/Step.h"

#include "base/StateLock.h"
#include "model/Archive.h"
#include "model/InstrumentKeywords.h"
#include "sequences/ContactClosures.h"
#include "sequences/StepCCOutput.h"
#include "sequences/StepDelay.h"
#include "sequences/StepExecSeq.h"
#include "sequences/StepGPT.h"
#include "sequences/StepGPTPreset.h"
#include "sequences/StepGenerate.h"
#include "sequences/StepLevel.h"
#include "sequences/StepManual.h"
#include "sequences/StepPurge.h"
#include "sequences/StepSelOutput.h"
#include "sequences/StepStandby.h"
#include "sequences/StepStatusBlock.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

CStep::CStep(const char* keyword) : CNamedObject(keyword, 0) {}

CStep::CStep(const CStep& other) : CNamedObject(other) {
    StateGuard guard(AppStateLock());
    m_owner = other.m_owner;
}

void CStep::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CNamedObject::Serialize(ar);
    SerializeFields(ar);
}

std::string CStep::GetText(unsigned) const {
    return GetName();
}

CSequence* CStep::GetOwner() const {
    StateGuard guard(AppStateLock());
    return m_owner;
}

void CStep::SetOwner(CSequence* owner) {
    StateGuard guard(AppStateLock());
    m_owner = owner;
}

CStep* CStep::Create(int keywordCode) {
    switch (keywordCode) {
    case KW_GENERATE:
        return new CStepGenerate;
    case KW_GPT:
        return new CStepGPT;
    case KW_GPTPS:
        return new CStepGPTPreset;
    case KW_MANUAL:
        return new CStepManual;
    case KW_PURGE:
        return new CStepPurge;
    case KW_STANDBY:
        return new CStepStandby;
    case KW_DELAY:
    case KW_DURATION:
        return new CStepDelay;
    case KW_EXECSEQ:
        return new CStepExecSeq;
    case KW_SELOUTPUT:
        return new CStepSelOutput;
    case KW_SETCCOUTPUT:
        return new CStepCCOutput;
    case KW_LEVEL:
        return new CStepLevel;
    case KW_SETSTATUSBLOCK:
        return new CStepStatusBlock;
    default:
        return nullptr;
    }
}

void CStep::RegisterClasses() {
    const std::pair<const char*, std::function<CNamedObject*()>> kinds[] = {
        {"CStepGenerate", [] { return new CStepGenerate; }},
        {"CStepGPT", [] { return new CStepGPT; }},
        {"CStepGPTPreset", [] { return new CStepGPTPreset; }},
        {"CStepManual", [] { return new CStepManual; }},
        {"CStepPurge", [] { return new CStepPurge; }},
        {"CStepStandby", [] { return new CStepStandby; }},
        {"CStepDelay", [] { return new CStepDelay; }},
        {"CStepExecSeq", [] { return new CStepExecSeq; }},
        {"CStepSelOutput", [] { return new CStepSelOutput; }},
        {"CStepCCOutput", [] { return new CStepCCOutput; }},
        {"CStepLevel", [] { return new CStepLevel; }},
        {"CStepStatusBlock", [] { return new CStepStatusBlock; }},
    };
    for (const auto& [name, factory] : kinds)
        ArchiveClassRegistry<CNamedObject>::Register(name, factory);
}

bool CStep::CurrentNumber(const TokenStream& ts, double& value) {
    if (ts.GetTokenCode() == TOKEN_INTEGER) {
        value = ts.GetIntValue();
        return true;
    }
    if (ts.GetTokenCode() == TOKEN_REAL) {
        value = ts.GetRealValue();
        return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
    }
    return false;
}

bool CStep::ReadNumber(TokenStream& ts, double& value) {
    ts.GetToken();
    if (CurrentNumber(ts, value))
        return true;
    ts.NoteError();
    return false;
}

bool CStep::ReadClosures(TokenStream& ts, CContactClosures& set, int width) {
    if (ts.GetTokenCode() == KW_DISABLED) {
        set.SetEnabled(false);
        ts.GetToken();
        return true;
    }
    if (ts.GetTokenCode() == TOKEN_STRING &&
        ts.GetTokenText().size() <= static_cast<size_t>(width) && set.FromText(ts.GetTokenText())) {
        set.SetEnabled(true);
        ts.GetToken();
        return true;
    }
    ts.NoteError();
    ts.GetToken();
    return false;
}

void CStep::ArchiveFloat(CArchive& ar, float& value) {
    uint32_t bits;
    if (ar.IsStoring()) {
        std::memcpy(&bits, &value, sizeof bits);
        ar.WriteUInt32(bits);
    } else {
        bits = ar.ReadUInt32();
        std::memcpy(&value, &bits, sizeof value);
    }
}
