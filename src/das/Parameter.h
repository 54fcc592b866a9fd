#pragma once
// What every downloadable parameter has: a data point name, its description, the records of
// the last download that included it (oldest first) and that download's set number. The
// records sit in one contiguous array; they are never archived.

#include "das/DataRecord.h"
#include "model/NamedObject.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TokenStream;

// Text flags of the GetText operations.
enum TextFlags : unsigned {
    TEXT_SCRIPT = 1,
    TEXT_STEP_NAMES = 2,
    TEXT_NAME_ONLY = 64,
};

class CParameter : public CNamedObject {
public:
    CParameter() = default;
    // Copies everything but the records.
    CParameter(const CParameter& other);
    CParameter& operator=(const CParameter&) = delete;

    virtual bool Parse(TokenStream& ts, unsigned flags) = 0;
    virtual std::string GetText(unsigned flags) const = 0;

    // The name part, description, selected.
    void Serialize(CArchive& ar) override;

    std::string GetDescription() const;
    void SetDescription(const std::string& description);
    int32_t GetSetNumber() const;
    void SetSetNumber(int32_t number);
    bool IsSelected() const;
    void SetSelected(bool selected);
    // "name (description)", or the name alone without a description.
    std::string GetDisplayName() const;

    // ---- records, each call under the state lock
    size_t GetRecordCount() const;
    // The record at index, none outside the list.
    std::optional<CDataRecord> GetRecord(size_t index) const;
    void AddRecord(const CDataRecord& record);
    void ClearRecords();
    // Room for n records, so a download of known size never over-allocates.
    void ReserveRecords(size_t n);
    // Gives back spare room after a download.
    void CompactRecords();
    // Bytes the record storage holds (its capacity).
    size_t GetRecordMemory() const;
    // The array itself, for the download and the record set; the caller holds the state lock.
    std::vector<CDataRecord>& Records() { return m_records; }
    const std::vector<CDataRecord>& Records() const { return m_records; }

private:
    std::string m_description;
    std::vector<CDataRecord> m_records;
    int32_t m_setNumber = 0;
    bool m_selected = false;
};
