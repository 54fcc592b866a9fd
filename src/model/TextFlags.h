#pragma once
// Flags of the GetText operations of DAS and sequence objects; 0 asks for the display text.

enum TextFlags : unsigned {
    TEXT_SCRIPT = 1,     // the script form
    TEXT_STEP_NAMES = 2, // sequences, script form only: a duration step writes "DURATION"
    TEXT_NAME_ONLY = 64, // DAS channels
};
