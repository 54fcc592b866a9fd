#include "instruments/Capabilities.h"

uint32_t DeriveCapabilities(const IdentificationFacts& f) {
    uint32_t caps = 0;
    if (f.amxLine)
        caps |= CAP_AMX;
    if (f.calibratorLine) {
        caps |= CAP_CALIBRATOR;
        if (f.softwareRevision >= 4.3)
            caps |= CAP_CAL_SCRIPT;
        if (f.softwareRevision >= 5.7)
            caps |= CAP_CAL_DURATION;
        if (f.softwareRevision >= 5.8 && f.protocolRevision >= 1.0)
            caps |= CAP_CAL_LEVEL;
        if (f.softwareRevision >= 5.4)
            caps |= CAP_OUTPUT_SELECT_STEPS;
    }
    if (f.hasDas) {
        caps |= CAP_DAS;
        if (f.libraryRevision >= 3.0)
            caps |= CAP_NEW_DAS;
        if (f.libraryRevision >= 2.3)
            caps |= CAP_DAS_HEX;
        if (f.libraryRevision >= 2.4)
            caps |= CAP_DAS_FROM_TO | CAP_DAS_RECORDS | CAP_DAS_EVENT_PARAM;
        if (f.libraryRevision >= 2.1)
            caps |= CAP_DAS_SCRIPT;
    }
    if (f.slashKeyboard)
        caps |= CAP_KEYBOARD_SLASH;
    if (f.libraryRevision >= 2.8)
        caps |= CAP_XON_XOFF;
    return caps;
}
