#pragma once
// What the instrument information view shows: one caption and value per line, in the
// window's order, formatted as that window formats them.

#include <cstdint>
#include <string>
#include <vector>

class CInstrumentConnection;

struct InstrumentInfoLine {
    std::string caption; // "Instrument Type:", "Has DAS:", ...
    std::string value;
    unsigned control; // the value control of the information window
};

class InstrumentInfo {
public:
    // The lines for what the identification learnt; the window's template values
    // ("Analyzer", "Unknown", "No") while the identified bit is clear.
    static std::vector<InstrumentInfoLine> Lines(const CInstrumentConnection& instrument);
    static std::vector<InstrumentInfoLine> Lines(uint32_t capabilities,
                                                 const std::string& serialNumber,
                                                 double softwareRevision, double libraryRevision);

    // "%c.%d": the letter 64 + floor(r) and the first decimal digit (5.75 gives "E.7").
    static std::string FirmwareRevisionText(double revision);
    // "%-4.1f" (2.305 gives "2.3 ").
    static std::string LibraryRevisionText(double revision);
};
