// The transports across threads: a cancel from another thread ends a blocked read, a reply
// is read as soon as it arrives, other threads can use the state lock while a read waits,
// a large write completes while the peer reads, and a peer that only trickles cannot hold a
// TCP write past its time-out.

#include "ConnTestSupport.h"

#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/TCPConnection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using conntest::Listener;
using conntest::Pty;

namespace {

struct Cable {
    Pty pty;
    CCommPortConnection conn;
    bool opened = false;
    Cable() {
        conn.SetPortName(pty.Path());
        opened = pty.Ok() && conn.Open(nullptr);
    }
};

struct Tcp {
    Listener listener;
    CTCPConnection conn;
    int peer = -1;
    Tcp() {
        conn.SetAddress("127.0.0.1");
        conn.SetPort(listener.Port());
        if (listener.Ok() && conn.Open(nullptr))
            peer = listener.Accept();
    }
    ~Tcp() {
        if (peer >= 0)
            ::close(peer);
    }
};

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Starts a ten-minute read that only a cancel can end, cancels it from this thread and
// returns what the read gave back. The read must end soon after the cancel.
std::string CancelBlockedRead(CConnection& conn) {
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    std::string got = "unset";
    std::thread reader([&] {
        char buf[64];
        started = true;
        const size_t n = conn.Read(buf, sizeof buf, 600000, '\n');
        got.assign(buf, n);
        ended = true;
    });
    EXPECT_TRUE(conntest::WaitUntil([&] { return started.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(ended.load()); // still blocked before the cancel
    const auto cancelled = Clock::now();
    conn.CancelRead();
    reader.join();
    EXPECT_LT(MsSince(cancelled), 2000);
    return got;
}

TEST(TransportThreads, ACancelEndsABlockedCableReadWithWhatItHad) {
    Cable c;
    ASSERT_TRUE(c.opened);
    c.pty.Feed("part");
    ASSERT_TRUE(c.pty.SlaveHasInput(2000));
    EXPECT_EQ(CancelBlockedRead(c.conn), "part");
}

TEST(TransportThreads, ACancelEndsABlockedTcpRead) {
    Tcp t;
    ASSERT_GE(t.peer, 0);
    EXPECT_EQ(CancelBlockedRead(t.conn), "");
}

TEST(TransportThreads, AReplyIsReadAsItArrives) {
    Cable c;
    ASSERT_TRUE(c.opened);
    std::string got;
    std::thread reader([&] { got = c.conn.ReadString(600000, '\n'); });
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    c.pty.Feed("OK\r\n");
    reader.join(); // a read that missed the reply would run ten minutes
    EXPECT_EQ(got, "OK\r\n");

    Tcp t;
    ASSERT_GE(t.peer, 0);
    std::thread tcpReader([&] { got = t.conn.ReadString(600000, '\n'); });
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    conntest::WriteFd(t.peer, "DONE\n");
    tcpReader.join();
    EXPECT_EQ(got, "DONE\n");
}

TEST(TransportThreads, TheStateLockIsFreeWhileAReadWaits) {
    Cable c;
    ASSERT_TRUE(c.opened);
    std::atomic<bool> started{false};
    std::thread reader([&] {
        started = true;
        c.conn.ReadString(600000, '\n');
    });
    ASSERT_TRUE(conntest::WaitUntil([&] { return started.load(); }));
    // Many tries: a read that held the lock across its waits would refuse them all.
    int taken = 0;
    for (int i = 0; i < 200 && taken < 20; ++i) {
        if (AppStateLock().try_lock()) {
            ++taken;
            AppStateLock().unlock();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(taken, 20);
    EXPECT_EQ(c.conn.GetBaudRate(), 19200u);
    c.conn.CancelRead();
    reader.join();
}

TEST(TransportThreads, EveryByteGoesOutUnchangedOnTheCable) {
    Cable c;
    ASSERT_TRUE(c.opened);
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    // Bigger than a terminal's buffer, so the write has to wait for the reader.
    std::string big;
    for (int i = 0; i < 64; ++i)
        big += all;
    std::string got;
    std::thread reader([&] { got = c.pty.Take(big.size(), 5000); });
    EXPECT_TRUE(c.conn.Write(big));
    reader.join();
    EXPECT_EQ(got, big);
}

TEST(TransportThreads, ATcpWriteToAPeerThatOnlyTricklesEndsAtItsTimeOut) {
    Tcp t;
    ASSERT_GE(t.peer, 0);
    // The peer keeps taking a little, so the socket never stalls for long; the write still
    // may not take longer in all than its time-out.
    std::atomic<bool> stop{false};
    std::thread peer([&] {
        char buf[4096];
        while (!stop.load()) {
            if (conntest::Readable(t.peer, 10) && ::read(t.peer, buf, sizeof buf) <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const std::string big(16 * 1024 * 1024, 't');
    const auto start = Clock::now();
    const bool written = t.conn.Write(big);
    const long spent = MsSince(start);
    stop = true;
    peer.join();
    EXPECT_FALSE(written);
    EXPECT_GE(spent, static_cast<long>(CTCPConnection::kDefaultSendLimitMs));
    EXPECT_LT(spent, 15000);
}

TEST(TransportThreads, ALargeTcpWriteWaitsForASlowReaderAndArrivesWhole) {
    Tcp t;
    ASSERT_GE(t.peer, 0);
    std::string big(8 * 1024 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 251);
    std::string got;
    std::thread peer([&] {
        // Starts late and reads in small pieces, so the sender's buffer fills first.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        while (got.size() < big.size()) {
            const std::string piece = conntest::ReadFd(t.peer, 65536, 5000);
            if (piece.empty())
                break;
            got += piece;
        }
    });
    EXPECT_TRUE(t.conn.Write(big));
    peer.join();
    EXPECT_EQ(got.size(), big.size());
    EXPECT_TRUE(got == big);
}

} // namespace
