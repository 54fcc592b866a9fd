// A site and the instruments that point at it: a failed connect lets go of the site, a site
// still pointed at cannot be deleted, a disconnect request never reaches a deleted site (run
// under AddressSanitizer to see the last), and a connect asked for right after a disconnect
// is not lost when that disconnect closes the link.

#include "E2ESupport.h"

#include "base/Strings.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace {

using e2e::Rig;

// A loopback port nobody listens on: connecting to it is refused at once.
uint16_t RefusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

// The rig ends by waiting on its site's workers, and the application deletes the sites of its
// list: a test that deleted the rig's site gives it an idle one in the list.
void ReplaceSite(Rig& rig) {
    rig.site = new CSiteConnection;
    StateGuard g(AppStateLock());
    rig.app->Sites().AddTail(rig.site);
}

TEST(SiteLifetime, AFailedConnectLetsGoOfTheSiteWhichCanThenGoSafely) {
    Rig rig(SimConfig{}, Rig::Link::Tcp);
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(RefusedPort());
    rig.site->SetConnection(tcp);

    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    EXPECT_FALSE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to connect to site Sim Site.");
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
    EXPECT_FALSE(rig.site->IsInUse());

    // Pointed at (as while a connect is on its way), the site is locked against deletion.
    rig.inst->SetSiteInUse(rig.site);
    EXPECT_TRUE(rig.site->IsInUse());

    // Deleted all the same (as the program's own model replacement does): the request to
    // disconnect finds it gone and touches nothing.
    {
        StateGuard g(AppStateLock());
        rig.app->Sites().Remove(rig.site);
    }
    delete rig.site;
    rig.site = nullptr;
    rig.inst->RequestDisconnect();
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
    ReplaceSite(rig);
}

TEST(SiteLifetime, AWorkerWaitingForAPeerThatNeverAnswersIsWokenWhenTheSiteGoes) {
    // A listener whose queue is full: connects to it are neither taken nor refused.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }

    Rig rig(SimConfig{}, Rig::Link::Tcp);
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(ntohs(addr.sin_port));
    rig.site->SetConnection(tcp);
    ASSERT_TRUE(rig.inst->RequestConnect());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(rig.Done(MSG_CONNECT), 0u) << "the connect was not held";

    const auto start = std::chrono::steady_clock::now();
    {
        StateGuard g(AppStateLock());
        rig.app->Sites().Remove(rig.site);
    }
    delete rig.site;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 2000);
    ReplaceSite(rig);
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

TEST(SiteLifetime, AConnectAskedForBehindTheLastDisconnectStillRuns) {
    Rig rig(SimConfig{}, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const size_t connects = rig.Done(MSG_CONNECT);

    // Closing the panel and opening it again at once: the connect waits behind the
    // disconnect that closes the link.
    rig.inst->RequestDisconnect();
    ASSERT_TRUE(rig.inst->RequestConnect());
    ASSERT_TRUE(rig.WaitDone(MSG_CONNECT, connects + 1));
    EXPECT_TRUE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    EXPECT_EQ(rig.inst->GetSiteInUse(), rig.site);
    EXPECT_EQ(rig.Done(MSG_DISCONNECT), 1u);
}

} // namespace
