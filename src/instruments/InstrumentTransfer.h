#pragma once
// The frame every DAS and sequence transfer runs in (fetch or send a configuration, download
// records): not connected means failure at once; otherwise the site is marked busy and the
// instrument selected for the transfer's whole length, and the window that asked is told the
// result. The transfer bodies belong to the DAS and sequence code; this file gives them the
// frame and the pieces they share (progress, listings, scripts, confirmations).

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class CInstrumentConnection;
class CInstrumentProtocol;
class MessageTarget;
struct InstrumentRequest;

class CInstrumentTransfer {
public:
    // successMessage and failureMessage are posted to window (if any) at the end.
    CInstrumentTransfer(CInstrumentConnection& instrument, MessageTarget* window,
                        unsigned successMessage, unsigned failureMessage,
                        const InstrumentRequest* request = nullptr);

    using Body = std::function<bool(CInstrumentTransfer&)>;
    // Runs body inside the frame; the result is what was posted (true for success).
    bool Run(const Body& body);

    CInstrumentProtocol& Protocol() { return *m_protocol; }
    CInstrumentConnection& Instrument() { return m_inst; }
    MessageTarget* Window() const { return m_window; }
    // The request record the transfer runs for (the channels of a download), or null.
    const InstrumentRequest* Request() const { return m_request; }
    void Post(unsigned message, uintptr_t wParam = 0) const;

    // Listings: while span lines is set, blank lines inside a listing do not end it. The
    // frame clears it at the end.
    void SetSpanLines(bool span);

    // The latest end of a reply of many lines (a listing, a record download): firstWaitMs for
    // its first line, then one receive time-out for each of twice the lines expected and
    // kSpareLines more. An instrument that answers sends each line within a time-out (a
    // longer pause ends the reply), so only a peer that trickles lines without end reaches it.
    static std::chrono::steady_clock::time_point
    ListingDeadline(unsigned firstWaitMs, unsigned receiveTimeoutMs, int64_t expectedLines = 0);
    static constexpr int64_t kSpareLines = 1000;
    // Runs read (the reading of a listing whose command has just gone out) with the stream's
    // reads bounded by a listing deadline from now; the stream's deadline before it comes
    // back after. True when read gives true and the listing ended in quiet: not at the
    // deadline, at a cancel or at a link that broke.
    bool ReadListing(const std::function<bool()>& read);

    // Sends a script: posts progressRange with the number of LF characters, discards unread
    // input once, writes it line by line (each up to and including its LF) without purge or
    // framing, posting progressStep after each line and sleeping the transmit delay; then
    // waits, with the receive time-out raised to 10000 ms, for a line starting with the
    // confirmation phrase (a reply header before it is allowed).
    bool SendScript(const std::string& script, unsigned progressRange, unsigned progressStep,
                    int confirmationCode);

    static constexpr unsigned kConfirmationTimeoutMs = 10000;

private:
    CInstrumentConnection& m_inst;
    MessageTarget* m_window;
    unsigned m_success, m_failure;
    const InstrumentRequest* m_request;
    CInstrumentProtocol* m_protocol = nullptr;
};
