// The TCP/IP transport over loopback sockets: opening, the read loop after the
// peer has gone, purge, writes, close, and the archive and text forms.

#include "ConnTestSupport.h"

#include "model/ConfigKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/Socket.h"

using namespace conntest;

namespace {

TEST(TcpOpen, NamesResolveAndBadTargetsFail) {
    uint32_t a = 0;
    ASSERT_TRUE(Socket::ResolveIPv4("10.1.2.3", a));
    EXPECT_EQ(ntohl(a), 0x0A010203u);
    ASSERT_TRUE(Socket::ResolveIPv4("localhost", a));
    EXPECT_EQ(a, htonl(INADDR_LOOPBACK));
    TcpLink byName("localhost");
    EXPECT_GE(byName.peer, 0);
    EXPECT_FALSE(byName.conn.Open(nullptr)); // already open: kept
    EXPECT_TRUE(byName.conn.IsOpen());
    EXPECT_FALSE(std::unique_ptr<CConnection>(byName.conn.Clone())->IsOpen());

    uint16_t gone;
    {
        Listener l;
        gone = l.Port();
    }
    // The defaults (0.0.0.0, port 0), a refused connect and a port out of range.
    CTCPConnection c;
    EXPECT_FALSE(c.Open(nullptr));
    c.SetAddress("127.0.0.1");
    for (uint32_t port : {uint32_t(gone), 65536u + 80}) {
        c.SetPort(port);
        EXPECT_FALSE(c.Open(nullptr) || c.IsOpen()) << port;
    }
}

TEST(TcpRead, AfterThePeerClosesTheBufferedBytesComeThenTheReadRunsToItsTimeOut) {
    TcpLink link;
    ASSERT_GE(link.peer, 0);
    WriteFd(link.peer, "ab\r\ncd");
    EXPECT_EQ(ReadSome(link.conn, 1, 2000, -1), "a");
    EXPECT_EQ(ReadSome(link.conn, 100, 2000, '\n'), "b\r\n");
    EXPECT_EQ(ReadSome(link.conn, 2, 2000, '\n'), "cd");
    EXPECT_FALSE(link.conn.HasLinkFailed());
    WriteFd(link.peer, "last words");
    EXPECT_EQ(ReadSome(link.conn, 4, 50, -1), "last");
    link.ClosePeer();
    EXPECT_EQ(ReadSome(link.conn, 100, 50, -1), " words");
    // The closed peer does not end the read: it runs to its time-out.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadSome(link.conn, 100, 200, '\n'), "");
    EXPECT_GE(MsSince(start), 200);
    // But it is told apart from a quiet peer: the reply was cut, not ended.
    EXPECT_TRUE(link.conn.HasLinkFailed());
    EXPECT_TRUE(link.conn.IsOpen());
    EXPECT_TRUE(link.conn.Close());
    EXPECT_FALSE(link.conn.IsOpen());
    ASSERT_TRUE(link.conn.Open(nullptr));
    EXPECT_FALSE(link.conn.HasLinkFailed());
}

TEST(TcpPurge, DiscardsTheBufferAndWhatHasArrivedWithoutWaiting) {
    TcpLink link;
    ASSERT_GE(link.peer, 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(link.conn.Purge());
    EXPECT_LT(MsSince(start), 2000); // nothing pending: nothing to wait for
    WriteFd(link.peer, "stale reply\r\nmore");
    EXPECT_EQ(ReadSome(link.conn, 1, 2000, -1), "s");
    EXPECT_TRUE(link.conn.Purge());
    EXPECT_EQ(ReadSome(link.conn, 100, 0, -1), "");
    WriteFd(link.peer, "fresh\n");
    EXPECT_EQ(link.conn.ReadString(2000, '\n'), "fresh\n");
    EXPECT_FALSE(CTCPConnection().Purge());
}

TEST(TcpWrite, SendsAllBytesAndRefusesEmptyOrClosed) {
    TcpLink link;
    ASSERT_GE(link.peer, 0);
    EXPECT_FALSE(link.conn.Write(""));
    const std::string cmd("\x03k disp\r\x00\xFF", 10);
    EXPECT_TRUE(link.conn.Write(cmd));
    EXPECT_EQ(ReadFd(link.peer, cmd.size()), cmd);
    // Close shuts the sending side, so the peer sees the end.
    EXPECT_TRUE(link.conn.Close());
    ASSERT_TRUE(Readable(link.peer, 2000));
    char c;
    EXPECT_EQ(::read(link.peer, &c, 1), 0);
    EXPECT_FALSE(link.conn.Close());
    EXPECT_FALSE(link.conn.Write("x"));
}

TEST(TcpWrite, AWriteToAPeerThatHasGoneFailsWithoutKillingTheProcess) {
    TcpLink link;
    ASSERT_GE(link.peer, 0);
    link.ClosePeer();
    // The first send may still be accepted; the peer's reset then fails a later one.
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i) {
        failed = !link.conn.Write(std::string(1000, 'z'));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(failed);
}

TEST(TcpForms, SerialKeysAreNotTakenAndBadValuesAreErrors) {
    ConfigText serial("SITE_BAUD_RATE = 9600\r\n");
    CTCPConnection c;
    EXPECT_FALSE(c.ReadConfig(*serial, CNamedObjectList()));
    EXPECT_EQ(serial->GetErrorCount(), 0u);
    EXPECT_EQ(serial->GetTokenCode(), CFG_SITE_BAUD_RATE);
    ConfigText bad("SITE_TCPIP_PORT = \"80\"\r\n");
    EXPECT_FALSE(c.ReadConfig(*bad, CNamedObjectList()));
    EXPECT_EQ(bad->GetErrorCount(), 1u);
    EXPECT_EQ(c.GetPort(), 0u);
}

} // namespace
