// The simulator's links: loopback TCP and a pseudo-terminal, with recording.

#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

int ConnectLoopback(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads until the text holds `until` or the time runs out.
std::string ReadUntil(int fd, const std::string& until, int timeoutMs) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.find(until) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

void Send(int fd, const std::string& s) {
    ASSERT_EQ(::write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size()));
}

TEST(SimServer, TcpAnswersRecordsAndAcceptsTheNextClient) {
    const std::string record = ::testing::TempDir() + "sim_record.bin";
    SimConfig c;
    c.recordPath = record;
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ASSERT_NE(server.Port(), 0);

    int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    static const char bytes[] = "\x03\x03\r\n\r\n\x03k disp\r\n\x00\xFF";
    const std::string sent(bytes, sizeof bytes - 1);
    Send(fd, sent);
    const std::string reply = ReadUntil(fd, "\r\n\r\n", 2000);
    EXPECT_EQ(reply.substr(0, 2), "K ");
    EXPECT_TRUE(server.WaitForReceived(std::string("\xFF", 1), 2000));
    ::close(fd);

    fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    Send(fd, "\x03v config\r\n");
    EXPECT_NE(ReadUntil(fd, "\r\n\r\n", 2000).find("CONFIG[0]="), std::string::npos);
    ::close(fd);
    server.Stop();

    EXPECT_EQ(server.Connections(), 2u);
    std::ifstream in(record, std::ios::binary);
    const std::string recorded((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(recorded, sent + "\x03v config\r\n");
    EXPECT_EQ(server.Received(), recorded);
    std::remove(record.c_str());
}

TEST(SimServer, CloseFaultDropsTheClient) {
    SimConfig c;
    c.fault = SimFault::CloseAfter;
    c.faultAfter = 0;
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    Send(fd, "\x03k disp\r\n");
    char b;
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_EQ(::read(fd, &b, 1), 0); // end of stream, no reply
    ::close(fd);
}

TEST(SimServer, PseudoTerminalCarriesRawBytes) {
    SimConfig c;
    c.link = SimConfig::Link::Pty;
    c.replyDelayMs = 20;
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ASSERT_FALSE(server.PtyPath().empty());
    const int fd = ::open(server.PtyPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    const auto start = std::chrono::steady_clock::now();
    Send(fd, "\x03k 7\r\n");
    const std::string reply = ReadUntil(fd, "\r\n\r\n", 2000);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    EXPECT_NE(reply.find("PRIMARY SETUP MENU"), std::string::npos);
    EXPECT_EQ(server.Received(), "\x03k 7\r\n"); // 0x03 and CR arrive untouched
    ::close(fd);
}

TEST(SimServer, StreamedReportsArriveWholeAndTheNextCommandAfterThem) {
    struct Row {
        SimFault fault;
        size_t lines; // record lines that arrive
        bool closed;  // the link drops after them
    };
    for (const Row& row :
         {Row{SimFault::None, 20000, false}, Row{SimFault::StopHalfway, 10000, true}}) {
        SCOPED_TRACE(SimFaultName(row.fault));
        SimConfig c;
        c.libraryRevision = "3.0";
        c.dasRecords = 20000;
        c.fault = row.fault;
        SimServer server(c);
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        const int fd = ConnectLoopback(server.Port());
        ASSERT_GE(fd, 0);
        // The display request waits behind the report and is answered after it.
        Send(fd, "\x03"
                 "d report \"CONC\" hex\r\n\x03k disp\r\n");
        // Everything until the link drops or stays quiet for a second.
        std::string got;
        char buf[65536];
        for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 1000) > 0;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<size_t>(n));
        }
        const size_t report = got.find("\r\n\r\n");
        size_t lines = 0;
        for (size_t at = 0; at < std::min(report, got.size());
             at = got.find("\r\n", at) + 2, ++lines)
            ASSERT_EQ(got.find("\r\n", at) - at, 36u) << lines;
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(got.find("\r\n\r\nK ") != std::string::npos, !row.closed);
        ::close(fd);
    }
}

} // namespace
