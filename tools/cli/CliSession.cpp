#include "CliSession.h"

#include "CliCommand.h"
#include "CliContext.h"

#include "app/VANTIQApp.h"
#include "base/EscapeText.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/InstrumentConnection.h"
#include "model/CommInstrumentTokenStream.h"

#include <chrono>
#include <cstdlib>

namespace {

enum : unsigned { IDS_INVALID_SITE = 61248, IDS_SETTING_MODE = 61210 };

constexpr size_t kDisplayColumns = 40;
constexpr size_t kDisplayLength = 2 * kDisplayColumns;

// The most reads with a full receive time-out that each request can take: a connect logs on,
// reads and sets the mode and logs on again (three tries each), reads the display in both
// forms, reads das_hold_off and the configuration listing, and drains the input once.
constexpr unsigned kConnectTimeouts = 30;
constexpr unsigned kKeyTimeouts = 3;
constexpr unsigned kDisconnectTimeouts = 6;
// Room for everything that is not a wait on the instrument.
constexpr std::chrono::milliseconds kSlack{10000};

std::string Format(unsigned id, const std::string& arg) {
    std::string text = LoadString(id);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, arg);
    return text;
}

} // namespace

CliSession::CliSession(CliContext& context, CInstrumentConnection& instrument)
    : m_context(context), m_inst(instrument) {
    m_inst.SetFrontPanel(&m_panel);
    m_inst.SetRequestObserver([this](unsigned message) { m_panel.RequestDone(message); });
}

CliSession::~CliSession() {
    if (m_connected)
        Disconnect();
    m_inst.SetRequestObserver(nullptr);
    m_inst.SetFrontPanel(nullptr);
}

void CliSession::Wait(unsigned message, size_t count, unsigned timeouts) {
    const auto limit =
        std::chrono::milliseconds(static_cast<int64_t>(timeouts) * m_inst.GetReceiveTimeout()) +
        kSlack;
    if (m_panel.WaitForRequests(message, count, limit))
        return;
    // The worker is stuck beyond every time-out it was given: nothing can be handed back
    // safely any more, so the program ends here rather than hang.
    m_context.Fail("The link did not finish the request in time; giving up.");
    std::fflush(m_context.Out());
    std::_Exit(CLI_FAILED);
}

void CliSession::ReportNoDisplay() const {
    using End = CommInstrumentTokenStream::ReadEnd;
    // The worker is idle between requests, so its stream can be looked at.
    const CommInstrumentTokenStream* ts = m_inst.GetStream();
    switch (ts ? ts->GetLastReadEnd() : End::TimedOut) {
    case End::Line:
        m_context.Fail("The instrument's reply ended without its display.");
        break;
    case End::Overran:
        m_context.Fail("The instrument kept sending without giving its display.");
        break;
    case End::PeerGone:
        m_context.Fail("The instrument closed the link.");
        break;
    case End::Cancelled:
        m_context.Fail("The request was cancelled.");
        break;
    case End::TimedOut:
        m_context.Fail("Timed out waiting for response from instrument.");
        break;
    }
}

bool CliSession::Connect() {
    if (!m_inst.RequestConnect()) {
        m_context.App().ShowError(Format(IDS_INVALID_SITE, m_inst.GetName()));
        return false;
    }
    Wait(MSG_CONNECT, 1, kConnectTimeouts);
    if (!m_inst.IsConnected()) {
        // The connect left its failure text in the display: the site's or the log-on one,
        // perhaps with a hint on the second line, printed as a line of its own.
        // Blanks that fill a display line up to its end become the line break.
        const std::string display = m_inst.GetDisplayText();
        std::string text;
        for (size_t at = 0; at < display.size(); at += kDisplayColumns) {
            std::string line = display.substr(at, kDisplayColumns);
            const bool filled = line.size() == kDisplayColumns && line.back() == ' ';
            line.erase(line.find_last_not_of(' ') + 1);
            text += line;
            if (filled && at + kDisplayColumns < display.size())
                text += '\n';
        }
        m_context.Fail(text);
        return false;
    }
    m_connected = true;
    // After the mode step the only text a connect shows is the instrument's display; an
    // instrument that never showed one did not answer.
    if (m_inst.GetDisplayText() == LoadString(IDS_SETTING_MODE)) {
        ReportNoDisplay();
        return false;
    }
    return true;
}

bool CliSession::PressKey(int key) {
    const size_t shown = m_panel.Notices(MSG_DISPLAY_CHANGED);
    m_inst.RequestKey(key);
    ++m_keysSent;
    Wait(MSG_KEY_PRESS, m_keysSent, kKeyTimeouts);
    // The instrument answers a key with its new display; without it the display is stale.
    if (m_panel.Notices(MSG_DISPLAY_CHANGED) == shown) {
        ReportNoDisplay();
        return false;
    }
    return true;
}

void CliSession::Disconnect() {
    if (!m_connected)
        return;
    m_connected = false;
    m_inst.RequestDisconnect();
    Wait(MSG_DISCONNECT, 1, kDisconnectTimeouts);
}

std::string CliSession::DisplayLine(int row) const {
    std::string text = m_inst.GetDisplayText();
    text.resize(kDisplayLength, ' ');
    return text.substr(static_cast<size_t>(row) * kDisplayColumns, kDisplayColumns);
}

std::string CliSession::PrintableLine(int row) const {
    return EscapeText(DisplayLine(row));
}
