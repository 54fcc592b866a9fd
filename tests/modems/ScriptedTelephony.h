#pragma once
// A telephony service that answers every call as the test chose, at once and on the
// caller's thread, and records what it was asked. A connected call's byte stream is one end
// of a pseudo-terminal; the test talks on the other end (Peer).

#include "platform/TelephonyService.h"
#include "platform/TelephonyStream.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

class ScriptedTelephony : public TelephonyService {
public:
    enum class Outcome {
        Connect,            // a connected notice
        DialingThenConnect, // a dialing notice first
        Busy,
        Disconnect,
        Nothing, // no notice at all
    };

    ScriptedTelephony() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            if (const char* name = ::ptsname(m_master))
                m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        }
        if (m_slave >= 0) {
            termios tio{};
            ::tcgetattr(m_slave, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    ~ScriptedTelephony() override {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }

    std::vector<TelephonyLineInfo> lines;
    Outcome outcome = Outcome::Connect;
    bool giveStream = true;
    bool noticeOnDrop = true;
    int32_t openResult = 0;
    int32_t makeCallResult = 1;
    uint32_t nextLine = 5;
    uint32_t nextCall = 70;
    // Bytes of the call read before its stream was handed over (the stream gives them first).
    std::string earlyData;
    // Notices of other sites' calls that arrive while this call is being placed.
    std::vector<TelephonyMessage> othersDuringCall;

    // What was asked: "open <index>", "close <line>", "call <line> <number>", "drop <call>",
    // "stream <call>".
    std::vector<std::string> Log() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_log;
    }

    // A notice of the test's own making.
    void Notice(uint32_t line, uint32_t call, TelephonyCallState state) {
        PostMessage(TelephonyMessage{line, call, state});
    }

    // The far end of the call's byte stream.
    bool PeerWrite(const std::string& text) {
        return ::write(m_master, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    std::string PeerRead(size_t count, int waitMs = 5000) {
        std::string got;
        while (got.size() < count) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

    size_t GetLineCount() const override { return lines.size(); }
    bool GetLineInfo(size_t index, TelephonyLineInfo& info) const override {
        if (index >= lines.size())
            return false;
        info = lines[index];
        return true;
    }
    int32_t OpenLine(size_t index, uint32_t& line) override {
        Record("open " + std::to_string(index));
        if (openResult != 0)
            return openResult;
        line = nextLine++;
        return 0;
    }
    int32_t CloseLine(uint32_t line) override {
        Record("close " + std::to_string(line));
        return 0;
    }
    int32_t MakeCall(uint32_t line, const std::string& number, uint32_t& call) override {
        Record("call " + std::to_string(line) + " " + number);
        if (makeCallResult < 1)
            return makeCallResult;
        call = nextCall++;
        for (const TelephonyMessage& m : othersDuringCall)
            PostMessage(m);
        switch (outcome) {
        case Outcome::Connect:
            Notice(line, call, TelephonyCallState::Connected);
            break;
        case Outcome::DialingThenConnect:
            Notice(line, call, TelephonyCallState::Dialing);
            Notice(line, call, TelephonyCallState::Connected);
            break;
        case Outcome::Busy:
            Notice(line, call, TelephonyCallState::Busy);
            break;
        case Outcome::Disconnect:
            Notice(line, call, TelephonyCallState::Disconnected);
            break;
        case Outcome::Nothing:
            break;
        }
        m_lastLine = line;
        return makeCallResult;
    }
    int32_t Drop(uint32_t call) override {
        Record("drop " + std::to_string(call));
        if (noticeOnDrop)
            Notice(m_lastLine, call, TelephonyCallState::Disconnected);
        return 1;
    }
    std::unique_ptr<TelephonyStream> GetCallStream(uint32_t call) override {
        Record("stream " + std::to_string(call));
        if (!giveStream || m_slave < 0)
            return nullptr;
        return std::make_unique<TelephonyStream>(::fcntl(m_slave, F_DUPFD_CLOEXEC, 0), earlyData);
    }

private:
    void Record(const std::string& entry) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_log.push_back(entry);
    }

    mutable std::mutex m_lock;
    std::vector<std::string> m_log;
    uint32_t m_lastLine = 0;
    int m_master = -1;
    int m_slave = -1;
};
