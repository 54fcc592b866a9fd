#pragma once
// The capability word of an instrument: what its revisions and its identification say it can
// do. Derived anew at every connect; the DAS and sequence windows offer commands by its bits.

#include <cstdint>

enum CapabilityBit : uint32_t {
    CAP_CALIBRATOR = 0x1,
    CAP_CAL_SCRIPT = 0x2,
    CAP_CAL_DURATION = 0x4,
    CAP_CAL_LEVEL = 0x8,
    CAP_AMX = 0x10,
    CAP_DAS = 0x20,
    CAP_NEW_DAS = 0x40,
    CAP_DAS_HEX = 0x80,
    CAP_DAS_FROM_TO = 0x100,
    CAP_DAS_RECORDS = 0x200,
    CAP_DAS_SCRIPT = 0x400,
    CAP_DAS_EVENT_PARAM = 0x800,
    CAP_KEYBOARD_SLASH = 0x1000,
    CAP_XON_XOFF = 0x2000,
    CAP_OUTPUT_SELECT_STEPS = 0x4000,
    CAP_IDENTIFIED = 0x80000000u,
};

// What the identification proved; the revisions carry the small offsets added when they were
// read (0.05 for the software revision, 0.005 for the others), so plain >= comparisons hold.
struct IdentificationFacts {
    bool calibratorLine = false; // a line contained "Calibrator" and not "AMX"
    bool amxLine = false;        // a line contained "AMX"
    bool hasDas = false;         // "das_hold_off" could be read
    bool slashKeyboard = false;  // the display was read with the slash form
    double softwareRevision = 0;
    double libraryRevision = 0;
    double protocolRevision = 0;
};

// The capability bits of the facts, without the identified bit.
uint32_t DeriveCapabilities(const IdentificationFacts& facts);
