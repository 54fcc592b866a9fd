#pragma once
// One calibration sequence of a calibrator: its steps in execution order and its run
// settings (repeat count, automatic timer, contact-closure inputs that start it and outputs
// it drives). The sequence owns its steps; its owner is the instrument, never archived.
// Every accessor takes the application state lock.

#include "instruments/InstrumentOwned.h"
#include "model/NamedObject.h"
#include "model/NamedObjectList.h"
#include "sequences/ContactClosures.h"
#include "support/DateTime.h"
#include "support/TimeSpan.h"

#include <cstdint>
#include <string>

class CStep;
class TokenStream;

class CSequence : public CNamedObject, public InstrumentOwned {
public:
    static constexpr size_t MAX_STEPS = 100;
    static constexpr size_t MAX_SEQUENCES = 100;
    static constexpr int kClosureWidth = 12;
    static constexpr int32_t kMaxRepeatCount = 100;
    // Written with schema 1 and read with the same layout whatever a file holds.
    static constexpr unsigned kSchema = 1;

    // What the archive makes: both closure sets start highest-first until the file says
    // otherwise.
    CSequence();
    // A new sequence: no steps, closure sets disabled with closure 1 first, the timer off,
    // starting 1 January of this year at midnight and repeating daily, run once.
    explicit CSequence(CInstrumentConnection* owner, const std::string& name = "NONE");
    // A deep copy: every step cloned and owned by the copy; the same owner.
    CSequence(const CSequence& other);
    CSequence& operator=(const CSequence&) = delete;
    ~CSequence() override;

    const char* GetClassName() const override { return "CSequence"; }
    unsigned GetSchema() const override { return kSchema; }
    // Named part, steps, CC inputs, CC outputs, timer start (seconds), timer period
    // (seconds), repeat count, timer enabled.
    void Serialize(CArchive& ar) override;
    CSequence* Clone() const override { return new CSequence(*this); }

    // Without TEXT_SCRIPT the tree text ("CAL1, 3 STEPS, RUN 5 TIMES"); with it the script
    // lines from SEQBEGIN to SEQEND, the steps written with these flags.
    std::string GetText(unsigned flags) const;
    // Reads one sequence, "SEQBEGIN" being current; true after "SEQEND" with the token
    // after it current. Out-of-range repeat counts are noted and skipped.
    bool Parse(TokenStream& ts);

    CInstrumentConnection* GetOwner() const;
    void SetOwnerInstrument(CInstrumentConnection* owner) override;

    // The steps; walk them under the state lock.
    CNamedObjectList& Steps() { return m_steps; }
    const CNamedObjectList& Steps() const { return m_steps; }
    // Appends a step and makes this sequence its owner.
    void AddStep(CStep* step);
    bool CanAddStep() const;

    CContactClosures GetCCInputs() const;
    void SetCCInputs(const CContactClosures& set);
    CContactClosures GetCCOutputs() const;
    void SetCCOutputs(const CContactClosures& set);
    DateTime GetTimerStart() const;
    void SetTimerStart(const DateTime& start);
    TimeSpan GetTimerPeriod() const;
    void SetTimerPeriod(const TimeSpan& period);
    int32_t GetRepeatCount() const;
    void SetRepeatCount(int32_t count);
    bool GetTimerEnabled() const;
    void SetTimerEnabled(bool enabled);
    bool GetExpanded() const;
    void SetExpanded(bool expanded);
    // Expands or collapses every sequence of the instrument in the configuration tree; the
    // configuration counts as modified.
    static void SetAllExpanded(CInstrumentConnection& inst, bool expanded);

private:
    bool ParseTimerStart(TokenStream& ts);
    bool ParseTimerDelta(TokenStream& ts);
    bool ParseSteps(TokenStream& ts);

    CInstrumentConnection* m_owner = nullptr;
    CNamedObjectList m_steps{10};
    CContactClosures m_ccInputs;
    CContactClosures m_ccOutputs;
    DateTime m_timerStart;
    TimeSpan m_timerPeriod{86400};
    int32_t m_repeatCount = 1;
    bool m_timerEnabled = false;
    bool m_expanded = false;
};
