#pragma once
// One DAS channel of an instrument: its trigger, timing and report settings, its parameters
// (owned, in script order) and what a download needs (record selection, last download time,
// automatic download settings). Every accessor takes the application state lock.

#include "das/DASParameter.h"
#include "das/SelectionSet.h"
#include "instruments/InstrumentOwned.h"
#include "model/NamedObjectList.h"
#include "support/DateTime.h"
#include "support/TimeSpan.h"

#include <cstdint>
#include <functional>
#include <string>

class CInstrumentConnection;
class CInstrumentTransfer;
class CDataRecordSet;
class TokenStream;

class CDASChannel : public CNamedObject, public InstrumentOwned {
public:
    static constexpr size_t kMaxParameters = 10; // MAX_DAS_PARAMETERS
    static constexpr size_t kMaxChannels = 20;   // MAX_DAS_CHANNELS
    static constexpr int32_t kMaxRecords = 10000;

    explicit CDASChannel(CInstrumentConnection* instrument = nullptr);
    // A deep copy: parameters cloned onto the copy, its own selection (a copy of this one's),
    // the active selection on that own selection. Records are not copied.
    CDASChannel(const CDASChannel& other);
    CDASChannel& operator=(const CDASChannel&) = delete;
    ~CDASChannel() override;

    const char* GetClassName() const override { return "CDASChannel"; }
    unsigned GetSchema() const override { return 1; }
    // Every schema number is read with the same layout. After loading, the parameters point
    // at this channel.
    void Serialize(CArchive& ar) override;
    CNamedObject* Clone() const override;

    // The channel property sheet, installed by the GUI; true on OK.
    virtual bool Edit();
    using Editor = std::function<bool(CDASChannel&)>;
    static void SetEditor(Editor editor);
    // Script grammar with TEXT_SCRIPT (current token "CHANNELBEGIN"), listing grammar
    // without. On success the token after the channel is current; a script syntax error is
    // noted on the stream at the offending token.
    virtual bool Parse(TokenStream& ts, unsigned flags);
    // TEXT_SCRIPT: the channel's script block; TEXT_NAME_ONLY: the name; 0: the display text.
    virtual std::string GetText(unsigned flags) const;

    // A number that names this channel object for the life of the process (not archived):
    // a download request lists its channels by it, and the worker finds them again under the
    // lock, so a channel deleted meanwhile is skipped, never used.
    uint32_t GetHandle() const { return m_handle; }
    static CDASChannel* FindByHandle(const CInstrumentConnection& instrument, uint32_t handle);

    // InstrumentOwned
    void SetOwnerInstrument(CInstrumentConnection* owner) override;
    CInstrumentConnection* GetInstrument() const;

    // The parameters; walk under the state lock.
    CNamedObjectList& Parameters() { return m_parameters; }
    const CNamedObjectList& Parameters() const { return m_parameters; }
    CDASParameter* GetParameter(size_t index) const;
    bool CanAddParameter() const;

    std::string GetEvent() const;
    void SetEvent(const std::string& event);
    std::string GetFile() const;
    void SetFile(const std::string& file);
    int32_t GetRecords() const;
    void SetRecords(int32_t records);
    DateTime GetStartDate() const;
    void SetStartDate(const DateTime& date);
    TimeSpan GetSamplePeriod() const;
    void SetSamplePeriod(const TimeSpan& span);
    TimeSpan GetReportPeriod() const;
    void SetReportPeriod(const TimeSpan& span);
    bool GetPrintReports() const;
    void SetPrintReports(bool on);
    bool GetCompactReports() const;
    void SetCompactReports(bool on);
    bool GetEnabled() const;
    void SetEnabled(bool on);
    bool GetHoldOff() const;
    void SetHoldOff(bool on);

    // The channel's own selection (automatic downloads), and the one the next download uses.
    CSelectionSet& GetSelection() { return m_selection; }
    const CSelectionSet& GetSelection() const { return m_selection; }
    CSelectionSet* GetActiveSelection() const;
    // Null puts the channel's own selection back.
    void SetActiveSelection(CSelectionSet* selection);

    std::string GetAutoDownloadFile() const;
    void SetAutoDownloadFile(const std::string& path);
    uint32_t GetLastDownloadTime() const;
    void SetLastDownloadTime(uint32_t t);
    TimeSpan GetAutoDownloadPeriod() const;
    void SetAutoDownloadPeriod(const TimeSpan& span);
    bool GetDownloaded() const;
    void SetDownloaded(bool downloaded);
    bool GetAppendToFile() const;
    void SetAppendToFile(bool append);
    bool IsSelected() const;
    // Also sets every parameter's selected flag to the same value.
    void SetSelected(bool selected);
    // Only the channel's own flag (the tree's check mark on the channel).
    void SetSelectedOnly(bool selected);
    bool GetExpanded() const;
    void SetExpanded(bool expanded);

    // Empties every parameter's records.
    void ClearRecords();
    // Every parameter's instrument-stores-samples flag from its store-samples flag.
    void RestoreStoreSamples();
    bool AnyParameterSelected() const;
    // True when never downloaded, else when now is past the last download by at least one
    // automatic download period.
    bool IsAutoDownloadDue(uint32_t now) const;
    bool IsAutoDownloadDue() const;
    // Bytes of one hexadecimal record: 6, 4 per parameter, 4 more per parameter whose
    // instrument stores samples.
    int GetRecordSize() const;
    // The set over the parameters that take part (the channel or the parameter selected)
    // and share the first one's set number.
    void FillRecordSet(CDataRecordSet& set) const;

    // Downloads the records the active selection asks for, on the site worker inside a
    // transfer; true on success. Records stored before a failure stay.
    bool DownloadRecords(CInstrumentTransfer& transfer);

    static void RegisterClass();

private:
    bool ParseScript(TokenStream& ts);
    bool ParseListing(TokenStream& ts);

    uint32_t m_handle;
    CInstrumentConnection* m_instrument;
    CNamedObjectList m_parameters{10};
    std::string m_event;
    std::string m_file;
    int32_t m_records = 100;
    DateTime m_startDate;
    TimeSpan m_samplePeriod{0, 0, 1, 0};
    TimeSpan m_reportPeriod{0, 1, 0, 0};
    bool m_printReports = false;
    bool m_compactReports = false;
    bool m_enabled = true;
    bool m_holdOff = false;
    CSelectionSet m_selection;
    CSelectionSet* m_activeSelection;
    std::string m_autoDownloadFile;
    uint32_t m_lastDownloadTime = 0;
    TimeSpan m_autoDownloadPeriod{1, 0, 0, 0};
    bool m_downloaded = false;
    bool m_appendToFile = true;
    bool m_selected = false;
    bool m_expanded = false;
};
