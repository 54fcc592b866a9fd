#pragma once
// The whole program against the simulated instrument: a rig that connects one instrument
// through a real site and transport to an in-process gasquill-sim, and gasquill-cli run as a
// child process against one. Waits have generous limits, so that a fault fails a check
// instead of hanging the test.

#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "sim/SimInstrument.h"
#include "sim/SimServer.h"
#include "support_lib/Fakes.h"
#include "support_lib/TempDir.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace e2e {

using Strings = std::vector<std::string>;
constexpr unsigned kWaitLimitMs = 60000;
const std::string kWakeUp("\x03\x03\r\n\r\n", 6);

inline size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

// A loopback TCP socket listening on a port of its own, and that port.
inline int LoopbackListener(uint16_t& port, int backlog = 1) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(fd, backlog);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    port = ntohs(addr.sin_port);
    return fd;
}

// One simulated instrument, one site and one instrument of the configuration,
// connected the way the front panel connects: requests posted to the site's
// worker. The rig is the instrument's front panel too, recording the notices.
class Rig : public InstrumentPanel {
public:
    explicit Rig(SimConfig c, SimConfig::Link link = SimConfig::Link::Tcp) {
        c.link = link;
        server = std::make_unique<SimServer>(c);
        std::string error;
        EXPECT_TRUE(server->Start(error)) << error;
        site = new CSiteConnection;
        site->SetName("Sim Site");
        if (link == SimConfig::Link::Tcp) {
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
        inst->SetReceiveTimeout(500);
        {
            StateGuard g(AppStateLock());
            app->Sites().AddTail(site);
            app->Instruments().AddTail(inst);
        }
        inst->SetFrontPanel(this);
        inst->SetRequestObserver([this](unsigned message) {
            // Notified under the lock, so that a waiter that returns and ends the rig
            // finds the worker done with the condition variable.
            std::lock_guard<std::mutex> g(m_lock);
            ++m_done[message];
            m_changed.notify_all();
        });
    }
    ~Rig() override {
        if (inst->IsConnected())
            Disconnect();
        site->WaitForWorkers(kWaitLimitMs);
        inst->SetRequestObserver(nullptr);
        inst->SetFrontPanel(nullptr);
    }

    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override {
        notices.Post(message, wParam, lParam);
    }
    void ClosePanel() override {}

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
        const size_t before = Done(message);
        return post() && WaitDone(message, before + 1);
    }
    bool Connect() {
        return Request(MSG_CONNECT, [this] { return inst->RequestConnect(); });
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

    std::string SimDisplay() {
        std::string text;
        server->WithInstrument([&](SimInstrument& s) { text = s.DisplayContents(); });
        return text;
    }

    TestApp app;
    std::unique_ptr<SimServer> server;
    CSiteConnection* site = nullptr;
    CInstrumentConnection* inst = nullptr;
    RecordingTarget notices;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<unsigned, size_t> m_done;
};

struct RunResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out, err;
};

inline std::string Drain(int fd) {
    std::string text;
    char buf[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return text;
}

// Runs gasquill-cli with args, its output going to files in memory. The child is killed
// only if it outlives limitMs, which a check then reports as a hang.
inline RunResult RunCli(const Strings& args, unsigned limitMs = kWaitLimitMs) {
    const std::string program = std::string(GASQUILL_BIN_DIR) + "/gasquill-cli";
    const int out = ::memfd_create("stdout", MFD_CLOEXEC);
    const int err = ::memfd_create("stderr", MFD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    Strings all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    RunResult result;
    if (rc == 0) {
        // A process descriptor becomes readable when the child ends.
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        pollfd p{pidfd, POLLIN, 0};
        if (pidfd < 0 || ::poll(&p, 1, static_cast<int>(limitMs)) != 1)
            ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (pidfd >= 0)
            ::close(pidfd);
        if (WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
    }
    result.out = Drain(out);
    result.err = rc == 0 ? Drain(err) : "cannot start " + program;
    return result;
}

// A simulated instrument in this process for gasquill-cli to reach.
struct Sim {
    explicit Sim(SimConfig c = {}) : config(std::move(c)) {
        server = std::make_unique<SimServer>(config);
        std::string error;
        EXPECT_TRUE(server->Start(error)) << error;
    }
    Strings Link() const {
        if (config.link == SimConfig::Link::Tcp)
            return {"--tcp", "127.0.0.1:" + std::to_string(server->Port())};
        return {"--serial", server->PtyPath() + ":19200:8N1:none"};
    }
    // Runs the program on this instrument with a receive time-out of half a second.
    RunResult Cli(const Strings& args) const {
        Strings all = Link();
        all.insert(all.end(), {"--timeout", "500"});
        all.insert(all.end(), args.begin(), args.end());
        return RunCli(all);
    }
    // Everything the instrument received, once the bytes ending the session are there.
    std::string Wire(const std::string& last) const {
        server->WaitForReceived(last, kWaitLimitMs);
        return server->Received();
    }
    // A configuration file in text form naming this instrument "Ozone" at site "Sim".
    std::string NetworkFile() const {
        return "\r\nSITE_NAME = \"Sim\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
               "  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n  SITE_TCPIP_PORT = " +
               std::to_string(server->Port()) +
               "\r\n\r\nINST_NAME = \"Ozone\"\r\n  INST_SITE = \"Sim\"\r\n"
               "  INST_RECV_TIMEOUT = 500\r\n";
    }

    SimConfig config;
    std::unique_ptr<SimServer> server;
};

} // namespace e2e
