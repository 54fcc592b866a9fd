#include "sequences/SequenceSupport.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "base/MessageTarget.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/Archive.h"
#include "model/NamedObject.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceTransfer.h"
#include "sequences/Step.h"

void CSequenceSupport::Install() {
    RegisterClasses();
    CInstrumentRequestHandler::SetTransferBody(
        MSG_GET_SEQUENCES, [](CInstrumentTransfer& t) { return FetchSequences(t); });
    CInstrumentRequestHandler::SetTransferBody(
        MSG_SEND_SEQUENCES, [](CInstrumentTransfer& t) { return SendSequences(t); });
}

void CSequenceSupport::RegisterClasses() {
    ArchiveClassRegistry<CNamedObject>::Register("CSequence", [] { return new CSequence; });
    CStep::RegisterClasses();
}

void CSequenceSupport::MarkModified() {
    AppSetModified();
}

void CSequenceSupport::ReportError(const std::string& text) {
    AppLogMessage(LOG_ERROR, text);
    AppServices* app = AppServices::Get();
    if (UserPrompt* prompt = app ? app->GetPrompt() : nullptr)
        prompt->Ask(text, LoadString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Exclamation,
                    PromptResult::Ok);
}
