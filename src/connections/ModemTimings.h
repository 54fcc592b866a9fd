#pragma once
// The waits and pauses of the two modem transports. The product uses the values below, which
// are what real modems need: the pause after dialing, the guard time before the escape
// sequence, and how long a modem may take to answer. Tests shorten the waits in which
// nothing is expected to arrive (and install a sleep of their own through TelephonyClock),
// so that they run fast without changing what the product does.

struct ModemTimings {
    unsigned dialPauseMs = 1000;    // after the dial command, before the countdown
    unsigned guardMs = 1500;        // silence before the escape sequence
    unsigned escapeReplyMs = 5000;  // for the OK after the escape sequence
    unsigned commandReplyMs = 1000; // for the OK after each command (three tries)
    unsigned connectStepMs = 1000;  // one step of the connect countdown
    unsigned callNoticeMs = 1000;   // for one notice of the telephony layer

    // The timings in force (the defaults unless a test set others).
    static ModemTimings Get();
    static void Set(const ModemTimings& timings);
    // Back to the product's values.
    static void Reset();
};
