#pragma once
// A small AT-command modem on a pseudo-terminal, for the modem transports' tests. The
// transport opens Path() as its serial port. The modem answers every AT command with OK
// (unless told not to), answers a dial (ATD...) as the test chose, and after a connect
// passes data through (echoing it back) until the escape sequence "+++" brings it back to
// command mode with OK. Everything it received is recorded.

#include "platform/SerialBaudRate.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

class FakeModem {
public:
    enum class DialAnswer {
        Connect,         // "CONNECT 9600"
        ConnectLower,    // "connect 9600"
        RingThenConnect, // "RING", then "CONNECT"
        Busy,            // "BUSY"
        NoCarrier,       // "NO CARRIER"
        Silent,          // nothing at all
        Chatter,         // "RING" over and over, never a connect
        // "CONNECT 9600" ended by a lone CR with the far end's first data right behind it
        // (kEarlyData), as a modem set to end its lines with CR alone sends it.
        ConnectLoneCrWithData,
    };
    static constexpr const char* kEarlyData = "HELLO";

    FakeModem() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        const char* name = ::ptsname(m_master);
        if (!name)
            return;
        m_path = name;
        // Held open so that the master never reads end-of-file between the transport's
        // opens, and set raw so that nothing is echoed or translated before it configures
        // the port itself.
        m_slave = ::open(m_path.c_str(), O_RDWR | O_NOCTTY);
        if (m_slave < 0)
            return;
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_thread = std::thread([this] { Run(); });
    }

    ~FakeModem() {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }

    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    bool Ready() const { return m_thread.joinable(); }
    const std::string& Path() const { return m_path; }

    void SetDialAnswer(DialAnswer answer) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_dialAnswer = answer;
    }
    // False: the modem says nothing to commands (a modem set to quiet mode).
    void SetAnswersOk(bool on) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_answersOk = on;
    }
    // A slow modem with echo on: a command other than a dial is echoed echoMs after it came
    // and answered with OK okMs after the echo. Both 0: no echo, OK at once.
    void SetSlowEchoedReplies(unsigned echoMs, unsigned okMs) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_echoMs = echoMs;
        m_okMs = okMs;
    }
    // The speed the port was set to (the terminal's settings are the two ends' in common).
    bool LineSpeed(uint32_t& baud) const { return GetSerialBaudRate(m_master, baud); }

    // The command lines received (without their carriage return) and each escape sequence
    // as "+++", in the order they came.
    std::vector<std::string> Commands() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_commands;
    }
    size_t CountCommand(const std::string& command) const {
        std::lock_guard<std::mutex> guard(m_lock);
        size_t n = 0;
        for (const std::string& c : m_commands)
            n += c == command;
        return n;
    }
    // What came in data mode (echoed back to the sender).
    std::string Data() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_data;
    }
    bool Connected() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_state == State::Data;
    }
    // Waits (at most limitMs) until a command starting with prefix has come; for tests
    // that act on the modem's progress from another thread.
    bool WaitForCommand(const std::string& prefix, unsigned limitMs = 20000) const {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
            for (const std::string& c : m_commands)
                if (c.rfind(prefix, 0) == 0)
                    return true;
            return false;
        });
    }

    // Waits (at most limitMs) until command has come count times.
    bool WaitForCount(const std::string& command, size_t count, unsigned limitMs = 20000) const {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
            size_t n = 0;
            for (const std::string& c : m_commands)
                n += c == command;
            return n >= count;
        });
    }

private:
    enum class State { Command, Dialing, Chattering, Data };

    void Send(const std::string& text) {
        size_t done = 0;
        while (done < text.size() && !m_stop.load()) {
            const ssize_t n = ::write(m_master, text.data() + done, text.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Reply(const std::string& line) { Send("\r\n" + line + "\r\n"); }

    static std::string Upper(std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    void Record(const std::string& command) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_commands.push_back(command);
        m_changed.notify_all();
    }

    void Escape() {
        Record("+++");
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_state = State::Command;
        }
        Reply("OK");
    }

    void Command(const std::string& line) {
        Record(line);
        const std::string upper = Upper(line);
        if (upper.rfind("AT", 0) != 0)
            return;
        DialAnswer answer;
        bool answersOk;
        unsigned echoMs, okMs;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            answer = m_dialAnswer;
            answersOk = m_answersOk;
            echoMs = m_echoMs;
            okMs = m_okMs;
        }
        if (upper.rfind("ATD", 0) != 0) {
            if (echoMs || okMs) {
                std::this_thread::sleep_for(std::chrono::milliseconds(echoMs));
                Send(line + "\r\n");
                std::this_thread::sleep_for(std::chrono::milliseconds(okMs));
            }
            if (answersOk)
                Reply("OK");
            return;
        }
        State next = State::Command;
        switch (answer) {
        case DialAnswer::Connect:
            Reply("CONNECT 9600");
            next = State::Data;
            break;
        case DialAnswer::ConnectLower:
            Reply("connect 9600");
            next = State::Data;
            break;
        case DialAnswer::RingThenConnect:
            Reply("RING");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Reply("CONNECT");
            next = State::Data;
            break;
        case DialAnswer::Busy:
            Reply("BUSY");
            break;
        case DialAnswer::NoCarrier:
            Reply("NO CARRIER");
            break;
        case DialAnswer::Silent:
            next = State::Dialing;
            break;
        case DialAnswer::Chatter:
            next = State::Chattering;
            break;
        case DialAnswer::ConnectLoneCrWithData:
            Send(std::string("\rCONNECT 9600\r") + kEarlyData);
            next = State::Data;
            break;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        m_state = next;
    }

    void Take(char c) {
        State state;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            state = m_state;
        }
        if (state == State::Data) {
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_data.push_back(c);
            }
            m_pending.push_back(c);
            if (m_pending.size() > 3)
                m_pending.erase(0, m_pending.size() - 3);
            if (m_pending == "+++") {
                {
                    std::lock_guard<std::mutex> guard(m_lock);
                    m_data.erase(m_data.size() - 3);
                }
                m_pending.clear();
                Escape();
            } else if (c != '+') {
                Send(std::string(1, c));
            }
            return;
        }
        if (state == State::Dialing || state == State::Chattering) {
            // Any character ends a dial in progress, as on a real modem.
            std::lock_guard<std::mutex> guard(m_lock);
            m_state = State::Command;
        }
        if (c == '\n')
            return;
        if (c == '\r') {
            const std::string line = m_pending;
            m_pending.clear();
            Command(line);
            return;
        }
        m_pending.push_back(c);
        if (m_pending == "+++") {
            m_pending.clear();
            Escape();
        }
    }

    void Run() {
        while (!m_stop.load()) {
            pollfd p{m_master, POLLIN, 0};
            const int r = ::poll(&p, 1, 10);
            if (r > 0 && (p.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                for (ssize_t i = 0; i < n; ++i)
                    Take(buffer[i]);
                continue;
            }
            bool chatter;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                chatter = m_state == State::Chattering;
            }
            if (chatter)
                Reply("RING");
            else if (r > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5)); // hang-up noise
        }
    }

    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    DialAnswer m_dialAnswer = DialAnswer::Connect;
    bool m_answersOk = true;
    unsigned m_echoMs = 0;
    unsigned m_okMs = 0;
    State m_state = State::Command;
    std::vector<std::string> m_commands;
    std::string m_data;
    std::string m_pending; // the modem thread's own
};
