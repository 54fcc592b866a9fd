#pragma once
// The DAS data text file: a header and one line per row of a record set, comma-separated,
// lines ending CR LF. A new or replaced file gets the header and "," between values; rows
// appended to an existing file get ", " and no header.

#include "support/DateTime.h"

#include <cstdint>
#include <functional>
#include <string>

class CDataRecordSet;
class UserPrompt;

struct DataFileProgress {
    std::function<void(const std::string&)> status; // status line text, empty to clear
    std::function<void(int32_t rows)> range;        // progress range 0..rows, position 0
    std::function<void()> step;                     // after each row
};

// Writes the set to path. showSamples is the DAS window's "Samples" box: a parameter whose
// store-samples flag is set gets a samples column only with it. A replaced file is written
// through a temporary file renamed over it, so a failed save leaves the old file whole;
// appending only adds to the end. False (nothing done) for an empty set or path; false with
// the 61221 text logged, and shown through prompt when there is one, when the file cannot be
// written; errorText (when given) receives that text.
bool SaveRecordSet(const CDataRecordSet& set, const std::string& path, bool append,
                   bool showSamples, UserPrompt* prompt = nullptr,
                   const DataFileProgress* progress = nullptr, std::string* errorText = nullptr);

// "<instrument>-<serial>-<channel>-<first parameter>-<yyyymmdd>-<set number>.txt" for the
// set's first parameter and today; empty for a set without parameters.
std::string ProposedDataFileName(const CDataRecordSet& set, const DateTime& today);
