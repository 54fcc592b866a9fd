#include "instruments/InstrumentInfo.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"

#include <cmath>
#include <cstdio>

namespace {

enum : unsigned {
    IDS_CALIBRATOR = 61289,
    IDS_MONITOR = 61290,
    IDS_YES = 61291,
    IDS_NO = 61292,
};

struct CapabilityRow {
    uint32_t bit;
    unsigned control;
    const char* caption;
};

// In the window's order; bit 0x4000 has no line there.
constexpr CapabilityRow kRows[] = {
    {CAP_AMX, 1230, "Has AMX:"},
    {CAP_DAS, 1231, "Has DAS:"},
    {CAP_NEW_DAS, 1232, "Has New DAS:"},
    {CAP_DAS_HEX, 1233, "Has DAS Hex Command:"},
    {CAP_DAS_FROM_TO, 1234, "Has DAS From/To Commands:"},
    {CAP_DAS_RECORDS, 1235, "Has DAS Records Command:"},
    {CAP_DAS_SCRIPT, 1236, "Has DAS Script Command:"},
    {CAP_DAS_EVENT_PARAM, 1237, "Has DAS Event/Parameter Commands:"},
    {CAP_CAL_SCRIPT, 1238, "Has Calibrator Script Command:"},
    {CAP_CAL_DURATION, 1239, "Has Calibrator Duration Command:"},
    {CAP_CAL_LEVEL, 1240, "Has Calibrator Level Command:"},
    {CAP_KEYBOARD_SLASH, 1241, "Has Keyboard Slash Command:"},
    {CAP_XON_XOFF, 1243, "Has XON/XOFF Flow Control:"},
};

} // namespace

std::string InstrumentInfo::FirmwareRevisionText(double r) {
    const double whole = std::floor(r);
    const int letter = 64 + static_cast<int>(whole);
    const int digit = static_cast<int>(std::trunc((r - whole) * 10));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c.%d", static_cast<char>(letter), digit);
    return buf;
}

std::string InstrumentInfo::LibraryRevisionText(double r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-4.1f", r);
    return buf;
}

std::vector<InstrumentInfoLine> InstrumentInfo::Lines(uint32_t caps, const std::string& serial,
                                                      double software, double library) {
    const bool known = (caps & CAP_IDENTIFIED) != 0;
    std::vector<InstrumentInfoLine> lines;
    lines.push_back({"Instrument Type:",
                     known ? LoadString((caps & CAP_CALIBRATOR) ? IDS_CALIBRATOR : IDS_MONITOR)
                           : std::string("Analyzer"),
                     1227});
    lines.push_back({"Serial Number:", known ? serial : "Unknown", 1242});
    lines.push_back(
        {"Firmware Revision:", known ? FirmwareRevisionText(software) : "Unknown", 1228});
    lines.push_back({"Library Revision:", known ? LibraryRevisionText(library) : "Unknown", 1229});
    for (const CapabilityRow& row : kRows)
        lines.push_back({row.caption,
                         known ? LoadString((caps & row.bit) ? IDS_YES : IDS_NO) : "No",
                         row.control});
    return lines;
}

std::vector<InstrumentInfoLine> InstrumentInfo::Lines(const CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    return Lines(inst.GetCapabilities(), inst.GetSerialNumber(), inst.GetSoftwareRevision(),
                 inst.GetLibraryRevision());
}
