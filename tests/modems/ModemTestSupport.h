#pragma once
// The modem tests' stand-ins: a small AT-command modem on a pseudo-terminal, a built-in-modem
// link to it, and a telephony service that answers calls as the test chose.

#include "connections/ConnTestSupport.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/ModemTimings.h"
#include "platform/SerialBaudRate.h"
#include "platform/TelephonyClock.h"
#include "platform/TelephonyService.h"
#include "platform/TelephonyStream.h"
#include "support_lib/Fakes.h"

#include <algorithm>
#include <fcntl.h>

// What a modem answers to a dial.
namespace dial {
inline const std::string kConnect = "\r\nCONNECT 9600\r\n";
inline const std::string kRingThenConnect = "\r\nRING\r\n\r\nCONNECT\r\n";
inline const std::string kRing = "\r\nRING\r\n";
inline const std::string kBusy = "\r\nBUSY\r\n";
inline const std::string kNoCarrier = "\r\nNO CARRIER\r\n";
inline const std::string kSilent;
} // namespace dial

// An AT-command modem on a pseudo-terminal, run on a thread of its own. It notes each line
// (without its CR) and answers it by the rule of the longest prefix it starts with, the
// latest of equals: OK to an AT command and a connect to a dial unless the test chose
// otherwise. A line no rule takes is echoed, as data is after a connect; "+++" is noted and
// answered with OK. A repeating answer goes out again every few milliseconds until
// anything comes.
class FakeModem {
public:
    FakeModem() {
        On("AT", "\r\nOK\r\n");
        On("ATD", dial::kConnect);
        if (!pty.Ok())
            return;
        ::fcntl(pty.Master(), F_SETFL, ::fcntl(pty.Master(), F_GETFL) | O_NONBLOCK);
        m_thread = std::thread([this] { Run(); });
    }
    ~FakeModem() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Ready() const { return m_thread.joinable(); }
    const std::string& Path() const { return pty.Path(); }
    bool LineSpeed(uint32_t& baud) const { return GetSerialBaudRate(pty.Master(), baud); }
    void On(const std::string& prefix, const std::string& reply, bool repeat = false) {
        std::lock_guard<std::mutex> g(m_lock);
        m_rules.push_back({prefix, reply, repeat});
    }
    void SetDialAnswer(const std::string& reply, bool repeat = false) { On("ATD", reply, repeat); }
    std::vector<std::string> Commands() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_commands;
    }
    size_t CountCommand(const std::string& command) const {
        const auto c = Commands();
        return static_cast<size_t>(std::count(c.begin(), c.end(), command));
    }
    // Waits until a command starting with prefix has come: the modem notes
    // commands on its own thread, possibly after its reply went out.
    bool WaitForCommand(const std::string& prefix) const {
        return conntest::WaitUntil(
            [&] {
                const auto c = Commands();
                return std::any_of(c.begin(), c.end(),
                                   [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
            },
            20000);
    }

    conntest::Pty pty;

private:
    struct Rule {
        std::string prefix, reply;
        bool repeat;
    };
    // A reply that finds the terminal full is dropped rather than waited on.
    void Send(const std::string& text) { conntest::WriteFd(pty.Master(), text); }
    // Notes the line and gives the rule that answers it.
    Rule Note(const std::string& line) {
        std::lock_guard<std::mutex> g(m_lock);
        m_commands.push_back(line);
        Rule answer{"", line + "\r", false};
        for (const Rule& r : m_rules)
            if (line.rfind(r.prefix, 0) == 0 && r.prefix.size() >= answer.prefix.size())
                answer = r;
        return answer;
    }
    void Take(char c) {
        m_repeat.clear(); // anything that comes ends a repeating answer
        m_pending.push_back(c);
        if (m_pending.size() >= 3 && m_pending.compare(m_pending.size() - 3, 3, "+++") == 0) {
            m_pending.clear();
            Note("+++");
            Send("\r\nOK\r\n");
        } else if (c == '\n') {
            m_pending.pop_back();
        } else if (c == '\r') {
            m_pending.pop_back();
            const Rule answer = Note(std::exchange(m_pending, std::string()));
            Send(answer.reply);
            if (answer.repeat)
                m_repeat = answer.reply;
        }
    }
    void Run() {
        while (!m_stop) {
            pollfd p{pty.Master(), POLLIN, 0};
            const int r = ::poll(&p, 1, 10);
            if (r > 0 && (p.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(pty.Master(), buffer, sizeof buffer);
                for (ssize_t i = 0; i < n; ++i)
                    Take(buffer[i]);
            } else if (!m_repeat.empty()) {
                Send(m_repeat);
            } else if (r > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5)); // hang-up noise
            }
        }
    }

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock; // guards the rules and the commands
    std::vector<Rule> m_rules;
    std::vector<std::string> m_commands;
    std::string m_pending, m_repeat; // only the modem's thread touches these
};

// A built-in-modem link to a fake modem: one modem definition, an instrument to receive the
// status texts, and a sleep that records the pauses instead of taking them.
class ModemLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([this](unsigned ms) {
            std::lock_guard<std::mutex> guard(m_sleepLock);
            m_sleeps.push_back(ms);
        });
        ModemTimings::Reset();
        modem = new CModemSettings;
        app->Modems().AddTail(modem);
        link.SetPortName(fake.Path());
        link.SetModemId(modem->GetId());
        link.SetTelephoneNumber("5551234");
        link.SetConnectTimeout(2);
    }
    void TearDown() override {
        if (link.IsOpen())
            link.Close();
        TelephonyClock::SetSleep(nullptr);
        ModemTimings::Reset();
    }
    // Shortens the waits in which the modem is expected to stay silent.
    static void QuickSteps(unsigned connectStepMs, unsigned commandReplyMs = 1000) {
        ModemTimings t;
        t.connectStepMs = connectStepMs;
        t.commandReplyMs = commandReplyMs;
        ModemTimings::Set(t);
    }
    std::vector<unsigned> Sleeps() {
        std::lock_guard<std::mutex> guard(m_sleepLock);
        return m_sleeps;
    }

    TestApp app;
    FakeModem fake;
    CModemSettings* modem = nullptr; // owned by the application's list
    CInstrumentConnection inst;
    CModemConnection link;

private:
    std::mutex m_sleepLock;
    std::vector<unsigned> m_sleeps;
};

// A telephony service that answers every call as the test chose, at once and on
// the caller's thread, and logs what it was asked: "open <index>", "close <line>",
// "call <line> <number>", "drop <call>", "stream <call>". A connected call's byte
// stream is the slave of a pseudo-terminal; the test talks on its master (the peer).
class ScriptedTelephony : public TelephonyService {
public:
    std::vector<TelephonyLineInfo> lines;
    // The notices of a new call, in order.
    std::vector<TelephonyCallState> notices = {TelephonyCallState::Connected};
    bool giveStream = true, noticeOnDrop = true;
    int32_t openResult = 0, makeCallResult = 1;
    uint32_t nextLine = 5, nextCall = 70;
    std::string earlyData; // read before the stream was handed over: given first
    std::vector<TelephonyMessage> othersDuringCall; // other calls' notices during a call
    conntest::Pty peer;
    std::vector<std::string> log;

    void Notice(uint32_t line, uint32_t call, TelephonyCallState state) {
        PostMessage(TelephonyMessage{line, call, state});
    }

    size_t GetLineCount() const override { return lines.size(); }
    bool GetLineInfo(size_t index, TelephonyLineInfo& info) const override {
        if (index < lines.size())
            info = lines[index];
        return index < lines.size();
    }
    int32_t OpenLine(size_t index, uint32_t& line) override {
        log.push_back("open " + std::to_string(index));
        if (openResult == 0)
            line = nextLine++;
        return openResult;
    }
    int32_t CloseLine(uint32_t line) override {
        log.push_back("close " + std::to_string(line));
        return 0;
    }
    int32_t MakeCall(uint32_t line, const std::string& number, uint32_t& call) override {
        log.push_back("call " + std::to_string(line) + " " + number);
        if (makeCallResult < 1)
            return makeCallResult;
        call = nextCall++;
        m_lastLine = line;
        for (const TelephonyMessage& m : othersDuringCall)
            PostMessage(m);
        for (TelephonyCallState state : notices)
            Notice(line, call, state);
        return makeCallResult;
    }
    int32_t Drop(uint32_t call) override {
        log.push_back("drop " + std::to_string(call));
        if (noticeOnDrop)
            Notice(m_lastLine, call, TelephonyCallState::Disconnected);
        return 1;
    }
    std::unique_ptr<TelephonyStream> GetCallStream(uint32_t call) override {
        log.push_back("stream " + std::to_string(call));
        if (!giveStream)
            return nullptr;
        const int fd = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return std::make_unique<TelephonyStream>(fd, earlyData);
    }

private:
    uint32_t m_lastLine = 0;
};
