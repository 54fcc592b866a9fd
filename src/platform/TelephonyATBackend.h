#pragma once
// The telephony layer over AT-command modems that the user lists in the settings. Each line
// is one modem on a serial device. A call opens nothing new: the line's port is opened when
// the line is, the call dials with ATD, the modem's result codes become call states (CONNECT
// connected; BUSY busy; NO CARRIER, NO DIALTONE, NO ANSWER and ERROR disconnected; anything
// else, such as the echo or RING, is passed over) and the port is handed over as the byte
// stream of the connected call. Dropping hangs up: DTR is lowered, then after the guard time
// the escape "+++" and ATH0 for modems that ignore DTR.
//
// Every call has a thread of its own that reads the result codes and later hangs up, so
// MakeCall and Drop return at once, as the telephone service's own calls do.

#include "platform/PosixSerialPort.h"
#include "platform/TelephonyService.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct TelephonyLineConfig {
    std::string name;
    std::string device;
    uint32_t speed = 19200;
};

class TelephonyATBackend : public TelephonyService {
public:
    static constexpr unsigned kGuardMs = 1000;
    static constexpr unsigned kDtrDropMs = 500;
    static constexpr unsigned kHangupReplyMs = 1000;

    explicit TelephonyATBackend(std::vector<TelephonyLineConfig> lines);
    // Drops every call and closes every line.
    ~TelephonyATBackend() override;

    size_t GetLineCount() const override;
    bool GetLineInfo(size_t index, TelephonyLineInfo& info) const override;
    int32_t OpenLine(size_t index, uint32_t& line) override;
    int32_t CloseLine(uint32_t line) override;
    int32_t MakeCall(uint32_t line, const std::string& number, uint32_t& call) override;
    int32_t Drop(uint32_t call) override;
    std::unique_ptr<TelephonyStream> GetCallStream(uint32_t call) override;

    // The permanent identifier of a line of this name: the same in every run, never 0.
    static uint32_t PermanentIdFor(const std::string& name);
    // The call state a modem result line stands for; false for a line that is none.
    static bool ParseResultCode(const std::string& line, TelephonyCallState& state);

private:
    struct Line {
        TelephonyLineConfig config;
        uint32_t permanentId = 0;
        uint32_t handle = 0;
        std::unique_ptr<PosixSerialPort> port; // open while the line is
        int fd = -1;                           // the port's descriptor
        uint32_t call = 0;
    };
    struct Call {
        uint32_t handle = 0;
        uint32_t line = 0;
        int fd = -1;
        std::string number;
        // Read past a lone CR: the start of the next result line, or after the connect line
        // the first data of the call (handed to its byte stream).
        std::string carry;
        TelephonyCallState state = TelephonyCallState::Dialing;
        bool dropRequested = false;
        bool finished = false;
        std::thread worker;
    };

    void RunCall(Call* call);
    // Reads one result line, a byte at a time so that nothing after it is taken from the
    // byte stream; false when the drop came first or the port failed.
    bool ReadResultLine(Call* call, std::string& line);
    bool DropRequested(Call* call);
    // Records and posts the state; last marks the call finished (its line free again).
    void SetState(Call* call, TelephonyCallState state, bool last = false);
    void HangUp(Call* call, TelephonyCallState before);
    // Drops the call, waits for its thread and forgets it. Called without the lock.
    void EndCall(uint32_t call);
    Line* FindLine(uint32_t handle);
    // The line's port, open at the configured speed (any the kernel takes); null if it
    // cannot be opened or set.
    static std::unique_ptr<PosixSerialPort> OpenPort(const TelephonyLineConfig& config);

    mutable std::mutex m_lock;
    std::condition_variable m_dropSignal;
    std::vector<Line> m_lines;
    std::map<uint32_t, std::unique_ptr<Call>> m_calls;
    uint32_t m_nextHandle = 1;
    int32_t m_nextRequest = 1;
};
