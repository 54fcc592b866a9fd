#include "instruments/InstrumentTransfer.h"

#include "base/MessageTarget.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/SiteLink.h"
#include "model/CommInstrumentTokenStream.h"
#include "platform/Connection.h"
#include "platform/LinkClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

CInstrumentTransfer::CInstrumentTransfer(CInstrumentConnection& instrument, MessageTarget* window,
                                         unsigned successMessage, unsigned failureMessage,
                                         const InstrumentRequest* request)
    : m_inst(instrument), m_window(window), m_success(successMessage), m_failure(failureMessage),
      m_request(request) {}

void CInstrumentTransfer::Post(unsigned message, uintptr_t wParam) const {
    if (m_window)
        m_window->Post(message, wParam, 0);
}

bool CInstrumentTransfer::Run(const Body& body) {
    SiteLink* site = m_inst.GetSiteInUse();
    if (!m_inst.IsConnected() || !site) {
        Post(m_failure);
        return false;
    }
    CInstrumentProtocol protocol(m_inst);
    m_protocol = &protocol;
    site->SetBusy(true);
    m_inst.AddIdleCount(-1);
    protocol.Select();
    const bool ok = body ? body(*this) : false;
    protocol.Deselect();
    SetSpanLines(false);
    m_inst.AddIdleCount(1);
    site->SetBusy(false);
    m_protocol = nullptr;
    Post(ok ? m_success : m_failure);
    return ok;
}

void CInstrumentTransfer::SetSpanLines(bool span) {
    if (CommInstrumentTokenStream* ts = m_inst.GetStream())
        ts->SetSpanLines(span);
}

std::chrono::steady_clock::time_point
CInstrumentTransfer::ListingDeadline(unsigned firstWaitMs, unsigned receiveTimeoutMs,
                                     int64_t expectedLines) {
    const int64_t lines = 2 * std::max<int64_t>(expectedLines, 0) + kSpareLines;
    return LinkClock::Now() + std::chrono::milliseconds(firstWaitMs + lines * receiveTimeoutMs);
}

bool CInstrumentTransfer::ReadListing(const std::function<bool()>& read) {
    CommInstrumentTokenStream* ts = m_inst.GetStream();
    if (!ts)
        return read();
    using End = CommInstrumentTokenStream::ReadEnd;
    const auto saved = ts->GetDeadline();
    const unsigned timeout = ts->GetReceiveTimeout();
    ts->SetDeadline(ListingDeadline(timeout, timeout));
    const bool ok = read();
    ts->SetDeadline(saved);
    const End end = ts->GetLastReadEnd();
    return ok && end != End::Overran && end != End::Cancelled && end != End::PeerGone;
}

bool CInstrumentTransfer::SendScript(const std::string& script, unsigned progressRange,
                                     unsigned progressStep, int confirmationCode) {
    SiteLink* site = m_inst.GetSiteInUse();
    CommInstrumentTokenStream* ts = m_inst.GetStream();
    if (!site || !ts)
        return false;
    Post(progressRange, static_cast<uintptr_t>(std::count(script.begin(), script.end(), '\n')));
    ts->GetConnection().Purge();
    const int delay = m_inst.GetTransmitDelay();
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        end = end == std::string::npos ? script.size() : end + 1;
        if (!site->Send(script.substr(start, end - start), false))
            return false;
        Post(progressStep);
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        start = end;
    }
    const unsigned saved = ts->GetReceiveTimeout();
    const auto savedDeadline = ts->GetDeadline();
    ts->SetReceiveTimeout(kConfirmationTimeoutMs);
    // The confirmation gets its 10 s in all, not 10 s for every line the instrument sends
    // before it.
    ts->SetDeadline(LinkClock::Now() + std::chrono::milliseconds(kConfirmationTimeoutMs));
    bool confirmed = false;
    // The instrument may answer every script line before it confirms, but not without end.
    const size_t lineLimit = static_cast<size_t>(std::count(script.begin(), script.end(), '\n')) +
                             CInstrumentProtocol::kMaxReplyLines;
    for (size_t line = 0; line < lineLimit; ++line) {
        ts->SetNeedLine(true);
        int code = ts->GetToken(HINT_NONE);
        if (code >= CInstrumentProtocol::kReplyD && code <= CInstrumentProtocol::kReplyL) {
            // Skip the header: day:hours:minutes and the ID.
            for (int i = 0; i < 6; ++i)
                ts->GetToken(HINT_NONE);
            code = ts->GetToken(HINT_NONE);
        }
        if (code == confirmationCode) {
            confirmed = true;
            break;
        }
        if (ts->IsTimedOut() && ts->GetTokenCode() == TOKEN_END &&
            ts->GetTokenText() == "<timeout>")
            break;
        if (ts->IsCancelled())
            break;
    }
    ts->SetReceiveTimeout(saved);
    ts->SetDeadline(savedDeadline);
    return confirmed;
}
