#include "sequences/gui/StepEditing.h"

#include "sequences/StepCCOutput.h"
#include "sequences/StepDelay.h"
#include "sequences/StepExecSeq.h"
#include "sequences/StepGPT.h"
#include "sequences/StepGenerate.h"
#include "sequences/StepLevel.h"
#include "sequences/StepManual.h"
#include "sequences/StepSelOutput.h"
#include "sequences/StepStatusBlock.h"
#include "sequences/gui/StepCCOutputDialog.h"
#include "sequences/gui/StepDurationDialog.h"
#include "sequences/gui/StepExecSeqDialog.h"
#include "sequences/gui/StepGPTDialog.h"
#include "sequences/gui/StepGenerateDialog.h"
#include "sequences/gui/StepLevelDialog.h"
#include "sequences/gui/StepManualDialog.h"
#include "sequences/gui/StepSelOutputDialog.h"
#include "sequences/gui/StepStatusBlockDialog.h"
#include "ui/WindowModal.h"

namespace {

template <class Dialog> bool Accepted(Dialog&& dialog) {
    return ExecWindowModal(dialog) == QDialog::Accepted;
}

} // namespace

bool EditStep(CStep& step, CInstrumentConnection& inst, QWidget* parent) {
    if (auto* s = dynamic_cast<CStepDelay*>(&step))
        return Accepted(CStepDurationDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepGenerate*>(&step))
        return Accepted(CStepGenerateDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepGPT*>(&step))
        return Accepted(CStepGPTDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepManual*>(&step))
        return Accepted(CStepManualDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepExecSeq*>(&step))
        return Accepted(CStepExecSeqDialog(*s, inst, parent));
    if (auto* s = dynamic_cast<CStepLevel*>(&step))
        return Accepted(CStepLevelDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepSelOutput*>(&step))
        return Accepted(CStepSelOutputDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepStatusBlock*>(&step))
        return Accepted(CStepStatusBlockDialog(*s, parent));
    if (auto* s = dynamic_cast<CStepCCOutput*>(&step))
        return Accepted(CStepCCOutputDialog(*s, parent));
    return false;
}
