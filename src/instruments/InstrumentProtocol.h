#pragma once
// The conversation with one instrument over its site's link, run on the site's worker
// thread: command framing, reply headers, select codes, variables, log on and off, the
// display and keys, connect and disconnect. Reads are bounded by the instrument's receive
// time-out; no lock is held while waiting on the link.
//
// A protocol object is made for one request and holds no state of its own between requests:
// everything lasting lives in the instrument record.

#include <cstdint>
#include <optional>
#include <string>

class CInstrumentConnection;
class SiteLink;
class CommInstrumentTokenStream;

class CInstrumentProtocol {
public:
    explicit CInstrumentProtocol(CInstrumentConnection& instrument);

    // The type letters of reply lines, as ReadReplyHeader returns them.
    static constexpr int kReplyD = 113, kReplyK = 114, kReplyV = 115, kReplyL = 116;
    static constexpr int kRetries = 3;
    // A reply is a few lines. An instrument that keeps sending lines without ever giving the
    // one awaited is treated as not answering, so it cannot hold the site worker for ever:
    // a reply ends after this many lines, or once it has taken kReplyLimitPercent of the
    // receive time-out in all, whichever comes first.
    static constexpr int kMaxReplyLines = 200;
    static constexpr unsigned kReplyLimitPercent = 150;
    // The quiet wait before a log-on ends after this many receive time-outs, however much
    // the instrument keeps sending.
    static constexpr unsigned kDrainLimitTimeouts = 2;
    static constexpr int kWakeUpLength = 6;
    static const char kWakeUp[]; // 03 03 CR LF CR LF

    // The framed command line: 0x03, type, " ID" when the ID is used, a blank, text, CR LF.
    std::string FrameCommand(const std::string& type, const std::string& text) const;
    // Writes the framed line through the site, purging unread input first.
    bool SendCommand(const std::string& type, const std::string& text);
    void Select();
    void Deselect();

    // Reads the next line's header. Returns the letter's code (113..116) with the time offset
    // in minutes and the instrument ID, 7 for a letter line whose header does not parse, for
    // a line too long to be a reply, or (with the instrument ID in use) for a reply from
    // another instrument, or the code of a line's first token when it is no letter (6 at the
    // end of the reply).
    int ReadReplyHeader(int64_t& minutes, int& id);

    bool GetIntVariable(const std::string& name, int32_t& value);
    bool GetRealVariable(const std::string& name, double& value);
    bool SetIntVariable(const std::string& name, int32_t value);
    bool LogOn();
    bool LogOff();
    bool UpdateDisplay(bool retry);
    bool ReadDisplay();
    void SendKeys(const std::string& keys);
    void Connect();
    void Disconnect();
    // Seconds since 1970 of the instrument's date (its calendar fields, no time zone), or
    // nullopt when no reply gave one.
    std::optional<int64_t> GetInstrumentDate();

    // A cancel (a disconnect request) has ended the reads of this exchange.
    bool LinkCancelled() const;

    CInstrumentConnection& Instrument() { return m_inst; }
    SiteLink* Site() const;
    CommInstrumentTokenStream* Stream() const;

private:
    enum class Step { Done, Fail, Finish };
    // Connect's steps 9 to 14; the result says where to go on.
    Step RunConnectSteps(std::string& failureText);
    void Identify();
    // Reads the reply to a "v" command up to the line that reports the variable; with
    // expected, only a line reporting that value ends it and others are read past.
    bool ReadVariableReply(const std::string& name, bool real, int32_t& intValue, double& realValue,
                           const int32_t* expected = nullptr);
    bool ReadLogReply(int successCode, int otherSuccessCode);
    void DrainInput();
    void NotifyConnected();

    CInstrumentConnection& m_inst;
};
