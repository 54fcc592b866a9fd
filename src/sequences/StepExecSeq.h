#pragma once
// Run another sequence of the same instrument, named here.

#include "sequences/Step.h"

class CStepExecSeq : public CStep {
public:
    CStepExecSeq() : CStep("EXECSEQ") {}
    const char* GetClassName() const override { return "CStepExecSeq"; }
    CStepExecSeq* Clone() const override { return new CStepExecSeq(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // A string, kept in upper case.
    bool Parse(TokenStream& ts) override;

    std::string GetSequenceName() const;
    void SetSequenceName(const std::string& name);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    std::string m_sequenceName;
};
