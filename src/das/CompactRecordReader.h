#pragma once
// Reads the lines of a compact report: a reply header of type D whose day, hours and minutes
// place the record in the instrument's current year, the channel name, ":", the index k of
// the first value on the line (1 starts a new record), then the values, a number or an "X"
// word (missing) each. Once the reply has ended, Finish moves records received across a new
// year back into the year before and drops those outside the selection.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDASChannel;
class CDASParameter;
class TokenStream;

class CCompactRecordReader {
public:
    // yearStart: 1 January 00:00:00 of the instrument's year, in seconds since 1970.
    CCompactRecordReader(const CDASChannel& channel, uint32_t yearStart);

    enum Result {
        LINE_READ,   // a record line (a value the line could not use ends the line only)
        NEW_RECORD,  // a record line with k = 1
        END_OF_DATA, // the line had no D header: the report is over
        FAILED,      // another channel's name, or a malformed line
    };
    // Reads the next line of the stream (which must not join lines).
    Result ReadLine(TokenStream& ts);

    // The year fix against reference (the instrument's date + 1 s), then the range filter.
    void Finish(uint32_t reference, std::optional<uint32_t> from, std::optional<uint32_t> to);

private:
    std::string m_channelName;
    std::vector<CDASParameter*> m_parameters; // null where the parameter does not take part
    uint32_t m_yearStart;
    size_t m_cursor = 0;
};
