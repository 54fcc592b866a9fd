#pragma once
// The two sequence exchanges with a calibrator, run by the site worker inside the transfer
// frame: fetch ("c print script", read back as a script) and send (the script line by line,
// confirmed by "New sequence configuration stored.").

class CInstrumentTransfer;

enum : unsigned {
    MSG_SEQ_PROGRESS_RANGE = 1045,
    MSG_SEQ_PROGRESS_STEP = 1046,
    MSG_SEQ_FETCH_DONE = 1047,
    MSG_SEQ_FETCH_FAILED = 1048,
    MSG_SEQ_SEND_DONE = 1049,
    MSG_SEQ_SEND_FAILED = 1050,
};

// Replaces the instrument's sequences by those it reports. True when the listing ended with
// "SEQLISTEND" and nothing after it; sequences read before a failure stay.
bool FetchSequences(CInstrumentTransfer& transfer);
// Sends the configuration; true when the instrument confirmed it. A configuration the script
// cannot hold is refused before anything is sent (the reason goes to the activity log).
bool SendSequences(CInstrumentTransfer& transfer);
