#pragma once
// The telephony layer: what the telephony-modem transport needs of the system's telephone
// service. A list of lines (name and a permanent identifier that stays the same from run to
// run), opening a line, placing a data call to a number, call-state notices (dialing,
// connected, busy, disconnected) delivered through one message queue shared by every line
// and call of the process, the byte stream of a connected call, and dropping the call.
//
// Results follow the telephone service's convention: 0 or a positive request number for
// success, a negative error code for failure. Any thread may call; the service has its own
// lock and never takes the application state lock.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

class TelephonyStream;

enum class TelephonyCallState { Dialing, Connected, Busy, Disconnected };

struct TelephonyMessage {
    uint32_t line = 0;
    uint32_t call = 0;
    TelephonyCallState state = TelephonyCallState::Dialing;
};

struct TelephonyLineInfo {
    std::string name;
    uint32_t permanentId = 0;
    bool dataModem = true; // the line carries data-modem calls
    bool asciiNames = true;
};

class TelephonyService {
public:
    enum : int32_t {
        // The telephone service's "operation unavailable", also used when there is none.
        ERR_UNAVAILABLE = static_cast<int32_t>(0x80000049u),
        ERR_BAD_INDEX = -2,
        ERR_BAD_LINE = -3,
        ERR_BAD_CALL = -4,
        ERR_IN_USE = -5,
        ERR_DEVICE = -6,
        ERR_INVALID = -7,
    };
    static constexpr uint32_t kApiVersion = 0x20000;

    TelephonyService() = default;
    TelephonyService(const TelephonyService&) = delete;
    TelephonyService& operator=(const TelephonyService&) = delete;
    virtual ~TelephonyService() = default;

    virtual size_t GetLineCount() const = 0;
    virtual bool GetLineInfo(size_t index, TelephonyLineInfo& info) const = 0;
    // Opens the line for calls; its handle (never 0, never reused) goes to line.
    virtual int32_t OpenLine(size_t index, uint32_t& line) = 0;
    // Drops a call still held on the line, then releases it.
    virtual int32_t CloseLine(uint32_t line) = 0;
    // Starts dialing; the result is a request number above 0 and the call handle goes to
    // call. How the call goes arrives later as call-state notices.
    virtual int32_t MakeCall(uint32_t line, const std::string& number, uint32_t& call) = 0;
    // Hangs up (at once or in the background); a disconnected notice follows.
    virtual int32_t Drop(uint32_t call) = 0;
    // The byte stream of a connected call; null when the call is not connected.
    virtual std::unique_ptr<TelephonyStream> GetCallStream(uint32_t call) = 0;

    // The shared queue. Takes the oldest notice, waiting up to waitMs for one. With a call
    // other than 0, only that call's notices are taken and the others stay queued for their
    // own callers (two sites dialing at once must not take each other's notices).
    bool GetMessage(TelephonyMessage& message, unsigned waitMs, uint32_t call = 0);
    // Discards the queued notices of a line (0: all of them).
    void DiscardMessages(uint32_t line = 0);

    // The service of the process, installed at start-up; null without telephony.
    static TelephonyService* Current();
    static void SetCurrent(TelephonyService* service);

protected:
    void PostMessage(const TelephonyMessage& message);

private:
    std::mutex m_queueLock;
    std::condition_variable m_queueReady;
    std::deque<TelephonyMessage> m_queue;
};
