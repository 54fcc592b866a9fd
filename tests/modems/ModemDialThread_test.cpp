// The built-in modem against a fake AT modem on a pseudo-terminal (the modem runs on a
// thread of its own): dialing and the connect countdown, refusals before dialing, commands
// and responses, the connected link and hanging up.

#include "modems/ModemLinkFixture.h"

#include <gtest/gtest.h>

namespace {

using Commands = std::vector<std::string>;
using DialAnswer = FakeModem::DialAnswer;

// ---- dialing --------------------------------------------------------------------------------

using ModemDial = ModemLinkTest;

TEST_F(ModemDial, ConnectTimeoutZeroDialsHangsUpAfterThePauseAndFails) {
    fake.SetDialAnswer(DialAnswer::Silent);
    link.SetConnectTimeout(0);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(fake.Commands(),
              (Commands{"ATZ", "AT &F E0 M0 Q0 V1", "ATDT5551234", "+++", "ATH0", "ATZ"}));
    // The pause after dialing, then the guard time before the escape.
    EXPECT_EQ(Sleeps(), (std::vector<unsigned>{1000, 1500}));
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
    EXPECT_FALSE(modem->IsInUse());
    EXPECT_FALSE(link.HasModemAttached());
}

TEST_F(ModemDial, LowerCaseConnectWithLineSpeedIsRecognised) {
    fake.SetDialAnswer(DialAnswer::ConnectLower);
    link.SetConnectTimeout(5);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...5");
    EXPECT_EQ(fake.Commands(), (Commands{"ATZ", "AT &F E0 M0 Q0 V1", "ATDT5551234"}));
}

TEST_F(ModemDial, RingLineBeforeTheConnectLineIsPassedOver) {
    fake.SetDialAnswer(DialAnswer::RingThenConnect);
    link.SetConnectTimeout(3);
    ASSERT_TRUE(link.Open(&inst));
    // Recognised within the first step: the ring report did not use up a second.
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...3");
}

TEST_F(ModemDial, ConnectResponseOfTheDefinitionIsWhatCounts) {
    modem->SetConnectResponse("9600");
    fake.SetDialAnswer(DialAnswer::Connect); // "CONNECT 9600"
    link.SetConnectTimeout(2);
    EXPECT_TRUE(link.Open(&inst));
    link.Close();

    modem->SetConnectResponse("CARRIER 14400");
    QuickSteps(150);
    EXPECT_FALSE(link.Open(&inst));
}

TEST_F(ModemDial, DialCommandOfTheDefinitionIsFollowedDirectlyByTheNumber) {
    modem->SetToneDial("ATDP");
    modem->SetReset("ATZ0");
    modem->SetInitialization("ATE0");
    link.SetTelephoneNumber("9,0171 555");
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_EQ(fake.Commands(), (Commands{"ATZ0", "ATE0", "ATDP9,0171 555"}));
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...2");
}

TEST_F(ModemDial, SilentModemIsCountedDownStepByStepThenHungUp) {
    fake.SetDialAnswer(DialAnswer::Silent);
    QuickSteps(100);
    link.SetConnectTimeout(3);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...1");
    const Commands c = fake.Commands();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(Commands(c.end() - 3, c.end()), (Commands{"+++", "ATH0", "ATZ"}));
}

TEST_F(ModemDial, BusyIsNotAConnectSoTheCountdownRunsOut) {
    fake.SetDialAnswer(DialAnswer::Busy);
    QuickSteps(100);
    link.SetConnectTimeout(2);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...1");
    EXPECT_FALSE(modem->IsInUse());
}

TEST_F(ModemDial, LineThatNeverStopsTalkingCannotHoldTheCountdown) {
    // A ring report every few milliseconds and never a connect: each step still ends.
    fake.SetDialAnswer(DialAnswer::Chatter);
    QuickSteps(150);
    link.SetConnectTimeout(2);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...1");
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(ModemDial, ModemThatNeverSaysOkIsStillDialedAfterThreeTries) {
    fake.SetAnswersOk(false);
    QuickSteps(1000, 100);
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_EQ(fake.CountCommand("ATZ"), 3u);
    EXPECT_EQ(fake.CountCommand("AT &F E0 M0 Q0 V1"), 3u);
    EXPECT_EQ(fake.CountCommand("ATDT5551234"), 1u);
}

// ---- failures before dialing -----------------------------------------------------------------

using ModemOpenRefused = ModemLinkTest;

TEST_F(ModemOpenRefused, DefinitionThatDoesNotExistFailsWithoutTouchingThePort) {
    link.SetModemId(modem->GetId() + 1);
    EXPECT_FALSE(link.Open(&inst));
    link.SetModemId(0);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(fake.Commands().empty());
}

TEST_F(ModemOpenRefused, DeletedDefinitionFails) {
    ASSERT_TRUE(app->Modems().Remove(modem));
    delete modem;
    modem = nullptr;
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_TRUE(fake.Commands().empty());
}

TEST_F(ModemOpenRefused, DisconnectAlreadyRequestedFails) {
    inst.SetDisconnectRequested(true);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_TRUE(fake.Commands().empty());
    EXPECT_FALSE(modem->IsInUse());
}

TEST_F(ModemOpenRefused, PortThatCannotBeOpenedFailsAndHoldsNoDefinition) {
    link.SetPortName("/nonexistent/ttyModem");
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(modem->IsInUse());
    EXPECT_FALSE(link.HasModemAttached());
}

TEST_F(ModemOpenRefused, OpenOnAnOpenLinkFailsAndKeepsItOpen) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    const size_t before = fake.Commands().size();
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(modem->GetInUseCount(), 1);
    EXPECT_EQ(fake.Commands().size(), before);
}

TEST_F(ModemOpenRefused, CloseOfAClosedLinkIsFalseAndSendsNothing) {
    EXPECT_FALSE(link.Close());
    EXPECT_TRUE(fake.Commands().empty());
}

// ---- commands and responses ------------------------------------------------------------------

using ModemCommands = ModemLinkTest;

TEST_F(ModemCommands, EmptyOkResponseSendsWithoutWaitingAndEveryCommandIsFalse) {
    modem->SetOkResponse("");
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    // Once each: nothing was waited for, so nothing was tried again.
    EXPECT_EQ(fake.Commands(), (Commands{"ATZ", "AT &F E0 M0 Q0 V1", "ATDT5551234"}));
    link.Write("+++"); // back to command mode
    ASSERT_TRUE(link.WaitForResponse("OK", 5000));
    EXPECT_FALSE(link.SendModemCommand("ATI", true));
    EXPECT_FALSE(link.SendModemCommand("ATI", false));
    EXPECT_TRUE(fake.WaitForCount("ATI", 2));
}

TEST_F(ModemCommands, CommandWaitingForOkIsTrueAtTheFirstOk) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    link.Write("+++"); // back to command mode
    ASSERT_TRUE(link.WaitForResponse("ok", 5000));
    EXPECT_TRUE(link.SendModemCommand("ATI3", true));
    EXPECT_EQ(fake.CountCommand("ATI3"), 1u);
    // Without waiting the result is false even though the modem says OK.
    EXPECT_FALSE(link.SendModemCommand("ATI4", false));
}

TEST_F(ModemCommands, AnEchoFollowedByALateOkStillCountsAtTheFirstTry) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    link.Write("+++"); // back to command mode
    ASSERT_TRUE(link.WaitForResponse("OK", 5000));
    // Each line within the 1000 ms of a try, the two together well beyond it.
    fake.SetSlowEchoedReplies(600, 600);
    EXPECT_TRUE(link.SendModemCommand("ATI3", true));
    EXPECT_EQ(fake.CountCommand("ATI3"), 1u);
    fake.SetSlowEchoedReplies(0, 0);
}

TEST_F(ModemCommands, NothingIsSentWithoutADefinitionOrForAnEmptyCommand) {
    // The definition is attached only while the link is open.
    EXPECT_FALSE(link.SendModemCommand("ATZ", true));
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    const size_t before = fake.Commands().size();
    EXPECT_FALSE(link.SendModemCommand("", true));
    EXPECT_FALSE(link.SendModemCommand("", false));
    EXPECT_EQ(fake.Commands().size(), before);
}

TEST_F(ModemCommands, WaitForResponseIsFalseForEmptyTextAndOnSilence) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_FALSE(link.WaitForResponse("", 1000));
    EXPECT_FALSE(link.WaitForResponse("OK", 50)); // data mode: the modem says nothing
}

// ---- the connected link --------------------------------------------------------------------

using ModemLink = ModemLinkTest;

TEST_F(ModemLink, ConnectedLinkCarriesDataAsTheDirectCable) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "k disp\r");
    EXPECT_EQ(fake.Data(), "k disp\r");
    EXPECT_TRUE(link.Purge());
}

TEST_F(ModemLink, CloseWaitsTheGuardTimeThenEscapesHangsUpAndResets) {
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    const size_t dialed = fake.Commands().size();
    const size_t paused = Sleeps().size();
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.IsOpen());
    const Commands c = fake.Commands();
    EXPECT_EQ(Commands(c.begin() + static_cast<long>(dialed), c.end()),
              (Commands{"+++", "ATH0", "ATZ"}));
    const std::vector<unsigned> s = Sleeps();
    ASSERT_GT(s.size(), paused);
    EXPECT_EQ(s[paused], 1500u);
    EXPECT_FALSE(fake.Connected());
}

TEST_F(ModemLink, HangUpUsesTheStringsThatDialed) {
    modem->SetHangup("ATH");
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    modem->SetHangup("ATH1"); // an edit while in use does not change the hang-up
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(fake.CountCommand("ATH"), 1u);
    EXPECT_EQ(fake.CountCommand("ATH1"), 0u);
}

TEST_F(ModemLink, DefinitionIsInUseWhileTheLinkIsOpen) {
    FakeModem second;
    ASSERT_TRUE(second.Ready());
    CModemConnection other;
    other.SetPortName(second.Path());
    other.SetModemId(modem->GetId());
    other.SetConnectTimeout(2);
    link.SetConnectTimeout(2);

    EXPECT_EQ(modem->GetDisplayName(), "Standard");
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(modem->IsInUse());
    EXPECT_EQ(modem->GetDisplayName(), "Standard (In use)");
    ASSERT_TRUE(other.Open(&inst));
    EXPECT_EQ(modem->GetInUseCount(), 2);

    EXPECT_TRUE(link.Close());
    EXPECT_EQ(modem->GetInUseCount(), 1);
    EXPECT_TRUE(other.Close());
    EXPECT_FALSE(modem->IsInUse());
    EXPECT_EQ(modem->GetDisplayName(), "Standard");
}

TEST_F(ModemLink, DestroyingAnOpenLinkGivesTheDefinitionBack) {
    auto open = std::make_unique<CModemConnection>(link);
    open->SetConnectTimeout(2);
    ASSERT_TRUE(open->Open(&inst));
    EXPECT_TRUE(modem->IsInUse());
    open.reset();
    EXPECT_FALSE(modem->IsInUse());
}

// ---- copies ---------------------------------------------------------------------------------

TEST_F(ModemLinkTest, CloneTakesTheSettingsAndStartsClosedWithNoDefinition) {
    link.SetBaudRate(2400);
    link.SetParity('E');
    link.SetStopBits(2);
    link.SetFlowControl(1);
    link.SetConnectTimeout(2);
    ASSERT_TRUE(link.Open(&inst));
    std::unique_ptr<CConnection> copy(link.Clone());
    auto* c = dynamic_cast<CModemConnection*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->IsOpen());
    EXPECT_FALSE(c->HasModemAttached());
    EXPECT_EQ(c->GetPortName(), fake.Path());
    EXPECT_EQ(c->GetBaudRate(), 2400u);
    EXPECT_EQ(c->GetParity(), 2);
    EXPECT_EQ(c->GetStopBits(), 2);
    EXPECT_EQ(c->GetFlowControl(), 1);
    EXPECT_EQ(c->GetModemId(), modem->GetId());
    EXPECT_EQ(c->GetTelephoneNumber(), "5551234");
    EXPECT_EQ(c->GetConnectTimeout(), 2);
    EXPECT_EQ(modem->GetInUseCount(), 1); // the copy holds nothing
}

} // namespace
