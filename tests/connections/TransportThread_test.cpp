// The transports across threads: a cancel from another thread ends a blocked
// read, the state lock stays free while a read waits, and a peer that only
// trickles cannot hold a TCP write past its time-out.

#include "ConnTestSupport.h"

#include "base/StateLock.h"
#include "platform/Socket.h"

using namespace conntest;

namespace {

// Starts a ten-minute read on another thread, checks that the state lock stays
// free while it waits (a read that held it across its waits would refuse every
// try), then cancels it and returns what it gave back.
std::string CancelBlockedRead(CConnection& conn) {
    std::atomic<bool> started{false}, ended{false};
    std::string got = "unset";
    std::thread reader([&] {
        char buf[64];
        started = true;
        got.assign(buf, conn.Read(buf, sizeof buf, 600000, '\n'));
        ended = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return started.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int taken = 0;
    for (int i = 0; i < 200 && taken < 20; ++i) {
        if (AppStateLock().try_lock()) {
            ++taken;
            AppStateLock().unlock();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(taken, 20);
    EXPECT_FALSE(ended.load());
    const auto cancelled = std::chrono::steady_clock::now();
    conn.CancelRead();
    reader.join();
    EXPECT_LT(MsSince(cancelled), 2000);
    return got;
}

TEST(TransportThreads, ACancelEndsABlockedReadWithWhatItHadAndTheStateLockStaysFree) {
    OpenCable c;
    ASSERT_TRUE(c.opened);
    c.pty.Feed("part");
    ASSERT_TRUE(c.pty.SlaveHasInput(2000));
    EXPECT_EQ(CancelBlockedRead(c.conn), "part");
    TcpLink t;
    ASSERT_GE(t.peer, 0);
    EXPECT_EQ(CancelBlockedRead(t.conn), "");
}

TEST(TransportThreads, ATcpWriteToAPeerThatOnlyTricklesEndsAtItsTimeOut) {
    // The peer keeps taking a little, so the socket never stalls for long; the
    // write still may not take longer in all than its time-out.
    TcpLink t;
    ASSERT_GE(t.peer, 0);
    std::atomic<bool> stop{false};
    std::thread peer([&] {
        char buf[4096];
        while (!stop.load()) {
            if (Readable(t.peer, 10) && ::read(t.peer, buf, sizeof buf) <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const bool written = t.conn.Write(std::string(16 * 1024 * 1024, 't'));
    const long spent = MsSince(start);
    stop = true;
    peer.join();
    EXPECT_FALSE(written);
    EXPECT_GE(spent, static_cast<long>(CTCPConnection::kDefaultSendLimitMs));
    EXPECT_LT(spent, 15000);
}

// A name look-up that never answers (as when no name server does) ends, failed, at a cancel
// or at its limit; one that answers gives its address. No real name servers are asked.
TEST(TransportThreads, ANameLookUpEndsAtACancelOrItsLimit) {
    struct Row {
        bool answers;
        unsigned cancelAfterMs, limitMs;
        long minMs, maxMs;
    } rows[] = {
        {true, 0, 10000, 0, 1000},                       // answers
        {false, 100, Socket::kResolveLimitMs, 100, 600}, // held up, cancelled
        {false, 0, 300, 300, 1300},                      // held up, runs out
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        // 0: held up, as by a name server that never answers; 1: answers; 2: has returned.
        auto stage = std::make_shared<std::atomic<int>>(r.answers ? 1 : 0);
        auto lookUp = [stage](const std::string&, uint32_t& address) {
            while (stage->load() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            address = htonl(INADDR_LOOPBACK);
            return stage->exchange(2) == 1;
        };
        std::atomic<bool> cancel{false};
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(r.cancelAfterMs));
            cancel = r.cancelAfterMs > 0;
        });
        uint32_t address = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Socket::ResolveIPv4("instrument.invalid", address, &cancel, r.limitMs, lookUp),
                  r.answers);
        const long spent = MsSince(start);
        EXPECT_TRUE(spent >= r.minMs && spent <= r.maxMs) << spent;
        EXPECT_EQ(address, r.answers ? htonl(INADDR_LOOPBACK) : 0u);
        canceller.join();
        int held = 0;
        stage->compare_exchange_strong(held, 1); // lets its thread go
    }
}

} // namespace
