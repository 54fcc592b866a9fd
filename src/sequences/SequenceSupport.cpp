#include "sequences/SequenceSupport.h"

#include "base/MessageTarget.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/Archive.h"
#include "model/NamedObject.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceTransfer.h"
#include "sequences/Step.h"

#include <mutex>

namespace {

std::mutex g_hooksLock;
CSequenceSupport::Hooks g_hooks;

} // namespace

void CSequenceSupport::Install(Hooks hooks) {
    {
        std::lock_guard<std::mutex> guard(g_hooksLock);
        g_hooks = std::move(hooks);
    }
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
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(g_hooksLock);
        hook = g_hooks.markModified;
    }
    if (hook)
        hook();
}

void CSequenceSupport::ReportError(const std::string& text) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> guard(g_hooksLock);
        hook = g_hooks.reportError;
    }
    if (hook)
        hook(text);
}
