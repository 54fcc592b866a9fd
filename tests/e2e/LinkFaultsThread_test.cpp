// gasquill-cli display against peers that misbehave on the link itself: they flood, chatter,
// trickle a reply that never ends, send over-long lines, end a line only in the next reply,
// close in the middle of a reply or say nothing. Each run ends by itself within 30 receive
// time-outs, says what happened, and the program exits normally. The peer is scripted here, over
// loopback TCP or a pseudo-terminal.

#include "E2ESupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr unsigned kTimeoutMs = 500;
const std::string kRow1 = "ROW ONE OF THE DISPLAY, FORTY CHARACTERS";
const std::string kRow2 = "AND ROW TWO, WHICH IS ALSO FORTY LONG...";

enum class Peer { Flood, CutLines, Chatter, Trickle, Answer, CloseMidReply, Silent };

struct Row {
    const char* name;
    Peer peer;
    bool pty;
    size_t longLine; // Answer: an extra line of this many characters before every reply
    bool password;
    int exitCode;
    const char* expected; // on stdout for a success, else on stderr
};

// One peer on one descriptor (a listening socket, whose first connection it serves, or a
// terminal's master side), run on its own thread until stopped. Both are non-blocking.
class ScriptedPeer {
public:
    ScriptedPeer(Peer peer, size_t longLine) : m_peer(peer), m_longLine(longLine) {}
    ~ScriptedPeer() { Stop(); }

    void Start(int fd, bool listening) {
        m_thread = std::thread([=, this] {
            const int conn = listening ? Accept(fd) : fd;
            if (conn >= 0)
                Serve(conn);
            if (listening && conn >= 0)
                ::close(conn);
        });
    }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    int Accept(int listener) {
        for (pollfd p{listener, POLLIN, 0}; !m_stop;)
            if (::poll(&p, 1, 20) > 0)
                return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
        return -1;
    }

    // False once the program has gone (SIGPIPE is ignored in this program).
    bool Send(int fd, const std::string& bytes) {
        for (size_t done = 0; done < bytes.size() && !m_stop;) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (errno != EAGAIN && errno != EINTR)
                return false;
            else {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 20);
            }
        }
        return true;
    }

    std::string Reply(const std::string& command) {
        std::string out;
        if (m_longLine)
            out += std::string(m_longLine, 'Z') + "\r\n";
        if (command.find("disp") != std::string::npos)
            out += "K 1:00:00 0 |" + kRow1 + "\r\nK 1:00:00 0 |" + kRow2 + "\r\n";
        return out + "\r\n";
    }

    void Serve(int fd) {
        const auto start = std::chrono::steady_clock::now();
        long sent = 0; // lines of a timed peer so far
        std::string input;
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            const bool readable = ::poll(&p, 1, m_peer == Peer::Flood ? 0 : 10) > 0;
            if (readable) {
                char buf[4096];
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0)
                    input.append(buf, static_cast<size_t>(n));
                else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                    return; // the program has gone
            }
            const long ms = (std::chrono::steady_clock::now() - start) / 1ms;
            switch (m_peer) {
            case Peer::Flood:
                if (!Send(fd, std::string(4000, '#') + "\r\n"))
                    return;
                break;
            case Peer::Chatter:
            case Peer::Trickle: {
                const long every = m_peer == Peer::Chatter ? 50 : kTimeoutMs * 9 / 10;
                if (ms / every > sent &&
                    !Send(fd, "V 1:00:00 0 NOISE=" + std::to_string(++sent) + "\r\n"))
                    return;
                break;
            }
            case Peer::Answer:
            case Peer::CutLines:
            case Peer::CloseMidReply:
                for (size_t nl; (nl = input.find('\n')) != std::string::npos;) {
                    const std::string command = input.substr(0, nl);
                    input.erase(0, nl + 1);
                    if (command.find_first_not_of("\x03\r") == std::string::npos)
                        continue; // the wake-up bytes
                    if (m_peer == Peer::CutLines) {
                        // An empty reply, but to the listing: each of those ends the line the
                        // last one's deadline cut off and starts one that outlasts its own.
                        std::string reply = "\r\n";
                        if (command.find("config") != std::string::npos)
                            reply = (sent++ > 0 ? "\r\n" : "") +
                                    std::string(CConnection::kReadLimit + 1, '#');
                        if (!Send(fd, reply))
                            return;
                        continue;
                    }
                    if (m_peer == Peer::CloseMidReply) {
                        Send(fd, "V 1:00:00 0 RS23");
                        return;
                    }
                    if (!Send(fd, Reply(command)))
                        return;
                }
                break;
            case Peer::Silent:
                break;
            }
        }
    }

    Peer m_peer;
    size_t m_longLine;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class LinkFaults : public ::testing::TestWithParam<Row> {};

TEST_P(LinkFaults, EndsWithinItsBoundAndSaysWhatHappened) {
    const Row& row = GetParam();
    ScriptedPeer peer(row.peer, row.longLine);
    std::vector<std::string> args;
    int fd = -1, slave = -1;
    if (row.pty) {
        // The slave side is held open (and raw) here too, so that the master side never reads
        // as hung up while the program is not attached; neither goes to the program.
        char path[256] = {};
        ASSERT_EQ(::openpty(&fd, &slave, path, nullptr, nullptr), 0);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        args = {"--serial", path};
    } else {
        uint16_t port = 0;
        fd = e2e::LoopbackListener(port);
        args = {"--tcp", "127.0.0.1:" + std::to_string(port)};
    }
    std::signal(SIGPIPE, SIG_IGN);
    peer.Start(fd, !row.pty);
    args.insert(args.end(), {"--timeout", std::to_string(kTimeoutMs)});
    if (row.password)
        args.insert(args.end(), {"--password", "1234"});
    args.push_back("display");

    const unsigned bound = 30 * kTimeoutMs;
    const auto start = std::chrono::steady_clock::now();
    const e2e::RunResult r = e2e::RunCli(args, 4 * bound);
    const auto ms = (std::chrono::steady_clock::now() - start) / 1ms;
    peer.Stop();
    ::close(fd);
    if (slave >= 0)
        ::close(slave);

    EXPECT_LE(ms, bound);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    EXPECT_NE((row.exitCode == 0 ? r.out : r.err).find(row.expected), std::string::npos)
        << "stdout: " << r.out << "\nstderr: " << r.err;
}

const std::string kShown = kRow1 + "\n" + kRow2 + "\n";

INSTANTIATE_TEST_SUITE_P(
    Peers, LinkFaults,
    ::testing::Values(
        Row{"FloodTcp", Peer::Flood, false, 0, false, 1, "kept sending"},
        Row{"FloodPty", Peer::Flood, true, 0, false, 1, "kept sending"},
        Row{"CutLines", Peer::CutLines, false, 0, false, 1, "kept sending"},
        Row{"ChattyPassword", Peer::Chatter, false, 0, true, 1, "Unable to log on to instrument."},
        Row{"SlowEndlessReply", Peer::Trickle, false, 0, false, 1, "kept sending"},
        Row{"Line999", Peer::Answer, false, 999, false, 0, kShown.c_str()},
        Row{"Line10000", Peer::Answer, false, 10000, false, 0, kShown.c_str()},
        Row{"ClosesMidReply", Peer::CloseMidReply, false, 0, false, 1, "closed the link"},
        Row{"SilentPty", Peer::Silent, true, 0, false, 1, "Timed out waiting for response"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
