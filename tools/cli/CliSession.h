#pragma once
// One instrument connected for the length of a command: connect (log on, set the mode,
// read the display, identify), front-panel key presses, disconnect. The requests run on
// the site's worker thread as they do for the desktop's front panel; this side waits for
// each to finish. Every wait is bounded by what the requests' own time-outs add up to.

#include "CliPanel.h"

#include <string>

class CliContext;
class CInstrumentConnection;

class CliSession {
public:
    CliSession(CliContext& context, CInstrumentConnection& instrument);
    // Disconnects if still connected.
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Connects and identifies. False once the failure text is on stderr: the site's or the
    // log-on message, or the time-out message when the instrument showed no display.
    bool Connect();
    // Presses one front-panel key (1..8) and waits for the new display. False once the
    // failure is on stderr.
    bool PressKey(int key);
    // Restores the mode or logs off, then gives the link back. Waits for it to finish.
    void Disconnect();

    // The two display lines of 40 characters, every byte kept.
    std::string DisplayLine(int row) const;
    // A display line as printed: bytes outside 0x20..0x7E escaped as the activity log
    // escapes them.
    std::string PrintableLine(int row) const;

private:
    // Waits for the request to finish; ends the program if it never does.
    void Wait(unsigned message, size_t count, unsigned timeouts);
    // Says why no display came back: nothing arrived, the reply ended or overran without
    // one, or the instrument closed the link.
    void ReportNoDisplay() const;

    CliContext& m_context;
    CInstrumentConnection& m_inst;
    CliPanel m_panel;
    bool m_connected = false;
    size_t m_keysSent = 0;
};
