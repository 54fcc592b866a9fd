// The simulator's links: loopback TCP and a pseudo-terminal, with recording.

#include "connections/ConnTestSupport.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace conntest;

namespace {

int ConnectLoopback(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// Reads until the text holds `until` or nothing more comes for two seconds.
std::string ReadUntil(int fd, const std::string& until) {
    std::string got;
    while (got.find(until) == std::string::npos) {
        const std::string more = ReadFd(fd, 1, 2000);
        if (more.empty())
            break;
        got += more;
    }
    return got;
}

TEST(SimServer, TcpAnswersRecordsAndAcceptsTheNextClient) {
    ScratchDir dir;
    SimConfig c;
    c.recordPath = dir.Path("record.bin");
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    const std::string sent("\x03\x03\r\n\r\n\x03k disp\r\n\x00\xFF", 17);
    WriteFd(fd, sent);
    EXPECT_EQ(ReadUntil(fd, "\r\n\r\n").substr(0, 2), "K ");
    EXPECT_TRUE(server.WaitForReceived(std::string("\xFF", 1), 2000));
    ::close(fd);
    fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    WriteFd(fd, "\x03v config\r\n");
    EXPECT_NE(ReadUntil(fd, "\r\n\r\n").find("CONFIG[0]="), std::string::npos);
    ::close(fd);
    server.Stop();
    EXPECT_EQ(server.Connections(), 2u);
    EXPECT_EQ(ReadFile(dir.Path("record.bin")), sent + "\x03v config\r\n");
    EXPECT_EQ(server.Received(), sent + "\x03v config\r\n");
}

TEST(SimServer, CloseFaultDropsTheClientWithoutAReply) {
    SimConfig c;
    c.fault = SimFault::CloseAfter;
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    WriteFd(fd, "\x03k disp\r\n");
    ASSERT_TRUE(Readable(fd, 2000));
    char b;
    EXPECT_EQ(::read(fd, &b, 1), 0); // end of stream, no reply
    ::close(fd);
}

TEST(SimServer, PseudoTerminalCarriesRawBytesAfterTheReplyDelay) {
    SimConfig c;
    c.link = SimConfig::Link::Pty;
    c.replyDelayMs = 20;
    SimServer server(c);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const int fd = ::open(server.PtyPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    const auto start = std::chrono::steady_clock::now();
    WriteFd(fd, "\x03k 7\r\n");
    EXPECT_NE(ReadUntil(fd, "\r\n\r\n").find("PRIMARY SETUP MENU"), std::string::npos);
    EXPECT_GE(MsSince(start), 20);
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
        WriteFd(fd, "\x03"
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
