#include "sequences/SequenceTransfer.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "base/StateLock.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentTransfer.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"
#include "sequences/SequenceSupport.h"

namespace {

// A calibrator holds at most 100 sequences; far more means the reply is not a listing.
constexpr size_t kRunawaySequences = 10 * CSequence::MAX_SEQUENCES;

} // namespace

bool FetchSequences(CInstrumentTransfer& t) {
    CInstrumentConnection& inst = t.Instrument();
    t.Post(MSG_SEQ_PROGRESS_RANGE, 100);
    if (!t.Protocol().SendCommand("c", "print script"))
        return false;
    {
        StateGuard guard(AppStateLock());
        inst.Sequences().DeleteAll();
    }
    CSequenceSupport::MarkModified();
    CommInstrumentTokenStream* ts = inst.GetStream();
    if (!ts)
        return false;
    ts->SetNeedLine(true);
    t.SetSpanLines(true);
    size_t count = 0;
    const bool ok = t.ReadListing([&] {
        return ReadSequenceList(*ts, inst, [&] {
            t.Post(MSG_SEQ_PROGRESS_STEP);
            return ++count <= kRunawaySequences;
        });
    });
    if (!ok)
        return false;
    inst.SetSequencesModified(false);
    CSequenceSupport::MarkModified();
    return true;
}

bool SendSequences(CInstrumentTransfer& t) {
    CInstrumentConnection& inst = t.Instrument();
    const std::string unwritable = FindUnwritableSequence(inst);
    if (!unwritable.empty()) {
        // On the worker: the log only; the window reports the failed send.
        AppLogMessage(LOG_ERROR, UnwritableSequenceMessage(unwritable));
        return false;
    }
    const std::string script = BuildSequenceScript(inst, SequenceSendFlags(inst));
    if (!t.SendScript(script, MSG_SEQ_PROGRESS_RANGE, MSG_SEQ_PROGRESS_STEP, PH_SEQUENCES_STORED))
        return false;
    inst.SetSequencesModified(false);
    return true;
}
