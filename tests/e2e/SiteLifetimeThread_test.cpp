// A site and the instruments that point at it: a failed connect lets go of the site, a site
// still pointed at cannot be deleted, a disconnect request never reaches a deleted site (run
// under AddressSanitizer to see the last), and a connect asked for right after a disconnect
// is not lost when that disconnect closes the link.

#include "E2ESupport.h"

#include "base/Strings.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using e2e::Rig;

// A loopback port nobody listens on: connecting to it is refused at once.
uint16_t RefusedPort() {
    uint16_t port = 0;
    ::close(e2e::LoopbackListener(port));
    return port;
}

// Points the rig's site at a loopback port.
void Aim(Rig& rig, uint16_t port) {
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(port);
    rig.site->SetConnection(tcp);
}

// Deletes the rig's site as the program's own model replacement does, and puts an idle one
// in its place, on which the rig waits when it ends.
void ReplaceSite(Rig& rig) {
    {
        StateGuard g(AppStateLock());
        rig.app->Sites().Remove(rig.site);
    }
    delete rig.site;
    rig.site = new CSiteConnection;
    StateGuard g(AppStateLock());
    rig.app->Sites().AddTail(rig.site);
}

TEST(SiteLifetime, AFailedConnectLetsGoOfTheSiteWhichCanThenGoSafely) {
    Rig rig(SimConfig{});
    Aim(rig, RefusedPort());
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    EXPECT_FALSE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to connect to site Sim Site.");
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
    EXPECT_FALSE(rig.site->IsInUse());

    // Pointed at (as while a connect is on its way), the site is locked against deletion.
    rig.inst->SetSiteInUse(rig.site);
    EXPECT_TRUE(rig.site->IsInUse());

    // Deleted all the same: the request to disconnect finds it gone and touches nothing.
    ReplaceSite(rig);
    rig.inst->RequestDisconnect();
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
}

TEST(SiteLifetime, AWorkerWaitingForAPeerThatNeverAnswersIsWokenWhenTheSiteGoes) {
    // A listener whose queue is full: connects to it are neither taken nor refused.
    uint16_t port = 0;
    const int listener = e2e::LoopbackListener(port, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }

    Rig rig(SimConfig{});
    Aim(rig, port);
    ASSERT_TRUE(rig.inst->RequestConnect());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(rig.Done(MSG_CONNECT), 0u) << "the connect was not held";

    const auto start = std::chrono::steady_clock::now();
    ReplaceSite(rig);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 2000);
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

TEST(SiteLifetime, AConnectAskedForBehindTheLastDisconnectStillRuns) {
    Rig rig(SimConfig{});
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
