#pragma once
// The whole program against the simulated instrument: a rig that connects one
// instrument through a real site and transport (loopback TCP or a
// pseudo-terminal) to an in-process gasquill-sim, and a runner for gasquill-cli
// as a child process. Waits have generous limits so that a fault shows as a
// failed check instead of a hung test; no check measures how long anything
// took.

#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/ConnTestSupport.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentPanel.h"
#include "sim/SimInstrument.h"
#include "sim/SimServer.h"
#include "support_lib/Fakes.h"

#include <cerrno>
#include <csignal>
#include <map>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace e2e {

using conntest::ReadFile;
constexpr unsigned kWaitLimitMs = 60000;
const std::string kWakeUp("\x03\x03\r\n\r\n", 6);

inline std::string Hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        out += out.empty() ? "" : " ";
        out += "0123456789ABCDEF"[c >> 4];
        out += "0123456789ABCDEF"[c & 15];
    }
    return out;
}

inline size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

// The front panel of the rig: counts the notices, remembers the identification
// one's value.
class CountingPanel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t wParam, intptr_t) override {
        std::lock_guard<std::mutex> g(m_lock);
        ++m_counts[message];
        if (message == MSG_IDENTIFIED)
            m_identified = wParam;
    }
    void ClosePanel() override {}
    size_t Count(unsigned message) const {
        std::lock_guard<std::mutex> g(m_lock);
        auto it = m_counts.find(message);
        return it == m_counts.end() ? 0 : it->second;
    }
    uintptr_t Identified() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_identified;
    }

private:
    mutable std::mutex m_lock;
    std::map<unsigned, size_t> m_counts;
    uintptr_t m_identified = 0;
};

// One simulated instrument, one site and one instrument of the configuration,
// connected the way the front panel connects: requests posted to the site's
// worker.
class Rig {
public:
    enum class Link { Tcp, Pty };

    Rig(SimConfig c, Link link) {
        c.link = link == Link::Tcp ? SimConfig::Link::Tcp : SimConfig::Link::Pty;
        server = std::make_unique<SimServer>(c);
        std::string error;
        started = server->Start(error);
        EXPECT_TRUE(started) << error;
        site = new CSiteConnection;
        site->SetName("Sim Site");
        if (link == Link::Tcp) {
            auto* tcp = new CTCPConnection;
            tcp->SetAddress("127.0.0.1");
            tcp->SetPort(server->Port());
            site->SetConnection(tcp);
        } else {
            auto* serial = new CCommPortConnection;
            serial->SetPortName(server->PtyPath());
            site->SetConnection(serial);
        }
        inst = new CInstrumentConnection;
        inst->SetSiteId(site->GetId());
        inst->SetReceiveTimeout(1000);
        {
            StateGuard g(AppStateLock());
            app->Sites().AddTail(site);
            app->Instruments().AddTail(inst);
        }
        inst->SetFrontPanel(&panel);
        inst->SetRequestObserver([this](unsigned message) {
            // Notified under the lock, so that a waiter that returns and ends the rig
            // finds the worker done with the condition variable.
            std::lock_guard<std::mutex> g(m_lock);
            ++m_done[message];
            m_changed.notify_all();
        });
    }
    ~Rig() {
        if (inst->IsConnected())
            Disconnect();
        site->WaitForWorkers(kWaitLimitMs);
        inst->SetRequestObserver(nullptr);
        inst->SetFrontPanel(nullptr);
    }

    // How many requests of that kind have finished, and a wait for a count of them.
    size_t Done(unsigned message) {
        std::lock_guard<std::mutex> g(m_lock);
        return m_done[message];
    }
    bool WaitDone(unsigned message, size_t count) {
        std::unique_lock<std::mutex> g(m_lock);
        return m_changed.wait_for(g, std::chrono::milliseconds(kWaitLimitMs),
                                  [&] { return m_done[message] >= count; });
    }

    // Posts a request and waits until it has finished.
    bool Request(unsigned message, const std::function<bool()>& post) {
        std::unique_lock<std::mutex> g(m_lock);
        const size_t before = m_done[message];
        g.unlock();
        if (!post())
            return false;
        g.lock();
        return m_changed.wait_for(g, std::chrono::milliseconds(kWaitLimitMs),
                                  [&] { return m_done[message] > before; });
    }
    bool Connect() {
        return Request(MSG_CONNECT, [this] { return inst->RequestConnect(); });
    }
    bool Key(int key) {
        return Request(MSG_KEY_PRESS, [this, key] { return inst->RequestKey(key), true; });
    }
    bool Refresh() {
        return Request(MSG_REFRESH_DISPLAY, [this] { return inst->RequestDisplayUpdate(), true; });
    }
    bool Disconnect() {
        return Request(MSG_DISCONNECT, [this] { return inst->RequestDisconnect(), true; }) &&
               site->WaitForWorkers(kWaitLimitMs);
    }
    // Whether the link was given back and the instrument left idle.
    bool Released() const {
        return !inst->IsConnected() && !site->IsConnected() && site->GetInUseCount() == 0 &&
               site->GetBusyCount() == 0 && !site->GetConnection()->IsOpen() &&
               inst->GetStream() == nullptr && inst->GetIdleCount() == 1;
    }

    // What the instrument received. Every command's reply is read before the next
    // command goes out, so once a request has finished the instrument has seen
    // all of its bytes; `last` waits for bytes that were sent without waiting for
    // their reply.
    std::string Wire(const std::string& last = "") {
        if (!last.empty())
            server->WaitForReceived(last, kWaitLimitMs);
        return server->Received();
    }
    std::string SimDisplay() {
        std::string text;
        server->WithInstrument([&](SimInstrument& s) { text = s.DisplayContents(); });
        return text;
    }
    std::string SimVariable(const std::string& upperName) {
        std::string value;
        server->WithInstrument([&](SimInstrument& s) { value = s.State().variables[upperName]; });
        return value;
    }

    TestApp app;
    std::unique_ptr<SimServer> server;
    bool started = false;
    CSiteConnection* site = nullptr;
    CInstrumentConnection* inst = nullptr;
    CountingPanel panel;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<unsigned, size_t> m_done;
};

struct RunResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out, err;
};

// Runs the program with args, collecting its output. The child is killed only if it
// outlives limitMs, which a check then reports as a hang.
inline RunResult Run(const std::string& program, const std::vector<std::string>& args,
                     unsigned limitMs = kWaitLimitMs) {
    RunResult result;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        result.err = "cannot start " + program;
        return result;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    bool outOpen = true, errOpen = true, killed = false;
    while (outOpen || errOpen) {
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, 100) < 0 && errno != EINTR)
            break;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            bool& open = i == 0 ? outOpen : errOpen;
            if (!open || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0)
                (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
            else
                open = false;
        }
        if (!killed && std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && !killed)
        result.exitCode = WEXITSTATUS(status);
    return result;
}

inline std::string CliPath() {
    return std::string(GASQUILL_BIN_DIR) + "/gasquill-cli";
}

inline RunResult RunCli(const std::vector<std::string>& args) {
    return Run(CliPath(), args);
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t nl = text.find('\n', start);
        lines.push_back(text.substr(start, nl == std::string::npos ? nl : nl - start));
        start = nl == std::string::npos ? text.size() : nl + 1;
    }
    return lines;
}

// The two display lines a reference copy of the simulated instrument shows
// after the keys.
inline std::vector<std::string> DisplayAfterKeys(const SimConfig& config,
                                                 const std::vector<int>& keys) {
    SimInstrument reference(config);
    for (int key : keys)
        reference.Receive("\x03k " + std::to_string(key - 1) + "\r\n");
    const std::string d = reference.DisplayContents();
    return {d.substr(0, 40), d.substr(40, 40)};
}

} // namespace e2e
