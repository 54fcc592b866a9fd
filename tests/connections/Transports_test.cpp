// What the direct cable (on a pseudo-terminal) and the TCP/IP transport (on loopback) share, then
// what only the TCP/IP transport does.

#include "ConnTestSupport.h"

using namespace conntest;

namespace {

enum class Kind { Cable, Tcp };

// The transport under test, opened, and the far end the test plays.
struct Transports : ::testing::TestWithParam<Kind> {
    void SetUp() override { ASSERT_TRUE(cable ? cable->opened : tcp->peer >= 0); }
    void Feed(const std::string& bytes) {
        cable ? cable->pty.Feed(bytes) : WriteFd(tcp->peer, bytes);
    }
    std::string Take(size_t count) {
        return cable ? cable->pty.Take(count) : ReadFd(tcp->peer, count);
    }
    std::string Read(size_t max, unsigned timeoutMs, int terminator = -1) {
        std::vector<char> buf(max + 1);
        return std::string(buf.data(), near->Read(buf.data(), max, timeoutMs, terminator));
    }
    std::unique_ptr<OpenCable> cable =
        GetParam() == Kind::Cable ? std::make_unique<OpenCable>() : nullptr;
    std::unique_ptr<TcpLink> tcp = cable ? nullptr : std::make_unique<TcpLink>();
    CConnection* near = cable ? static_cast<CConnection*>(&cable->conn) : &tcp->conn;
};

INSTANTIATE_TEST_SUITE_P(Both, Transports, ::testing::Values(Kind::Cable, Kind::Tcp),
                         [](const auto& info) {
                             return info.param == Kind::Cable ? "Cable" : "Tcp";
                         });

TEST_P(Transports, ReadsEndAtTheCountTheTerminatorOrTheTimeOut) {
    struct Step {
        size_t max;
        unsigned timeoutMs;
        int terminator;
        std::string want;
    };
    struct Row {
        const char* name;
        std::string fed;
        std::vector<Step> reads;
    };
    const std::string nul("a\0b\r\n", 5);
    // clang-format off
    const Row rows[] = {
        {"terminator stored and counted", "OK\r\nNEXT\r\n",
         {{100, 2000, '\n', "OK\r\n"}, {100, 2000, '\n', "NEXT\r\n"}}},
        {"minus one never ends early", "a\nb\nc", {{5, 5000, -1, "a\nb\nc"}}},
        {"max one keeps the rest; time-out zero takes what is queued", "xyz",
         {{1, 2000, -1, "x"}, {1, 2000, -1, "y"}, {10, 0, -1, "z"}, {10, 0, -1, ""}}},
        {"NUL bytes kept", nul, {{10, 2000, '\n', nul}}},
        {"terminator above a byte matches nothing", "\xFF\n", {{2, 2000, 0x1FF, "\xFF\n"}}},
        {"high byte as unsigned", "ab\xFE" "cd", {{10, 2000, 0xFE, "ab\xFE"}, {10, 0, 0xFE, "cd"}}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Feed(r.fed);
        for (const Step& s : r.reads)
            EXPECT_EQ(Read(s.max, s.timeoutMs, s.terminator), s.want);
    }
    EXPECT_EQ(near->ReadString(0, '\n'), "");
}

TEST_P(Transports, ACancelEndsEveryReadUntilItIsCleared) {
    Feed("ab");
    EXPECT_EQ(Read(1, 2000), "a");
    near->CancelRead();
    // Would wait a minute for the terminator; the cancel ends it after the first pass.
    EXPECT_EQ(Read(10, 60000, '\n'), "b");
    // The read did not clear it, so a disconnect request cannot be lost between reads.
    EXPECT_TRUE(near->IsCancelled());
    EXPECT_EQ(Read(10, 60000, '\n'), "");
    near->ClearCancel();
    Feed("late\n");
    EXPECT_EQ(near->ReadString(5000, '\n'), "late\n");
}

TEST_P(Transports, WritesKeepEveryByteAndAClosedTransportRefusesEverything) {
    EXPECT_FALSE(near->Write(""));
    const std::string cmd("\x03k disp\r\x00\xFF", 10);
    EXPECT_TRUE(near->Write(cmd));
    EXPECT_EQ(Take(cmd.size()), cmd);
    EXPECT_FALSE(near->Open(nullptr)); // already open: kept
    EXPECT_TRUE(near->IsOpen());
    EXPECT_TRUE(near->Close());
    if (tcp) { // the sending side is shut, so the peer sees the end
        ASSERT_TRUE(Readable(tcp->peer, 2000));
        char c;
        EXPECT_EQ(::read(tcp->peer, &c, 1), 0);
    }
    EXPECT_FALSE(near->Close());
    char buf[4];
    EXPECT_EQ(near->Read(buf, sizeof buf, 0, -1), 0u);
    EXPECT_EQ(near->ReadString(0, -1), "");
    EXPECT_FALSE(near->Write("x") || near->Purge() || near->IsOpen());
}

TEST_P(Transports, PurgeDiscardsTheBufferAndWhatHasArrivedWithoutWaiting) {
    EXPECT_TRUE(near->Purge()); // nothing pending
    Feed("abc");
    EXPECT_EQ(Read(1, 2000), "a"); // "bc" now buffered
    if (cable) {
        cable->pty.Feed("def"); // and this waiting in the terminal
        ASSERT_TRUE(WaitUntil([&] { return cable->pty.SlaveHasInput(0); }));
    }
    EXPECT_TRUE(near->Purge());
    EXPECT_EQ(Read(10, 0), "");
    Feed("g\n");
    EXPECT_EQ(Read(10, 2000, '\n'), "g\n");
}

TEST_P(Transports, WhenTheFarEndGoesTheBufferedBytesComeAndTheLinkIsKnownToHaveFailed) {
    Feed("xyz");
    EXPECT_EQ(Read(1, 2000), "x");
    EXPECT_FALSE(near->HasLinkFailed());
    cable ? cable->pty.HangUp() : tcp->ClosePeer();
    EXPECT_EQ(Read(10, 50), "yz");
    EXPECT_EQ(Read(100, 200, '\n'), "");
    // But it is told apart from a quiet peer: the reply was cut, not ended.
    EXPECT_TRUE(near->HasLinkFailed());
    EXPECT_TRUE(near->IsOpen());
    EXPECT_TRUE(near->Close());
    if (tcp) { // the same address again: a fresh link
        ASSERT_TRUE(near->Open(nullptr));
        EXPECT_FALSE(near->HasLinkFailed());
    }
}

// ---- what only the TCP/IP transport does

TEST(TcpOpen, BadTargetsFail) {
    // The defaults (0.0.0.0, port 0) and a port out of range.
    CTCPConnection tcp;
    EXPECT_FALSE(tcp.Open(nullptr));
    tcp.SetAddress("127.0.0.1");
    tcp.SetPort(65536u + 80);
    EXPECT_FALSE(tcp.Open(nullptr) || tcp.IsOpen());
    // The site window edits a copy, which keeps the target.
    std::unique_ptr<CConnection> copy(tcp.Clone());
    EXPECT_EQ(static_cast<CTCPConnection&>(*copy).GetAddress(), "127.0.0.1");
}

} // namespace
