// The simulator's long reports over its TCP link. Its links, recording and reply delay are
// otherwise driven by the end-to-end tests.

#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ConnectLoopback(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    return fd;
}

// Everything until the link drops or stays quiet for a second.
std::string ReadAllOf(int fd) {
    std::string got;
    char buf[65536];
    for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 1000) > 0;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

TEST(SimServer, StreamedReportsArriveWholeAndTheNextCommandAfterThem) {
    for (const SimFault fault : {SimFault::None, SimFault::StopHalfway}) {
        SCOPED_TRACE(SimFaultName(fault));
        SimConfig c;
        c.libraryRevision = "3.0";
        c.dasRecords = 20000;
        c.fault = fault;
        SimServer server(c);
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        const int fd = ConnectLoopback(server.Port());
        // The display request waits behind the report and is answered after it.
        const std::string commands = "\x03"
                                     "d report \"CONC\" hex\r\n\x03k disp\r\n";
        ASSERT_EQ(::write(fd, commands.data(), commands.size()),
                  static_cast<ssize_t>(commands.size()));
        const std::string got = ReadAllOf(fd);
        const size_t report = std::min(got.find("\r\n\r\n"), got.size());
        size_t lines = 0;
        for (size_t at = 0; at < report; at = got.find("\r\n", at) + 2, ++lines)
            ASSERT_EQ(got.find("\r\n", at) - at, 36u) << lines;
        // Cut halfway, the link drops after the lines sent.
        const bool whole = fault == SimFault::None;
        EXPECT_EQ(lines, whole ? 20000u : 10000u);
        EXPECT_EQ(got.find("\r\n\r\nK ") != std::string::npos, whole);
        ::close(fd);
    }
}

} // namespace
