// Sequences through the site worker, a real transport and the simulated Calibrator of the
// demo's revision: fetch, edit, send over a pseudo-terminal, and fetch back.

#include "E2ESupport.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceSupport.h"
#include "sequences/StepLevel.h"
#include "support/TextSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SeqRig, FetchEditSendAndFetchBackOverASerialLink) {
    InitSupportLibrary();
    SimConfig c;
    c.type = "Calibrator";
    c.softwareRevision = "E.3"; // sequences, but the duration step only by its keyword
    c.hasDas = false;
    e2e::Rig rig(c, e2e::Rig::Link::Pty);
    ASSERT_TRUE(rig.started);
    CSequenceSupport::Install();
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());

    RecordingTarget window;
    auto transfer = [&](bool send) {
        const unsigned message = send ? MSG_SEND_SEQUENCES : MSG_GET_SEQUENCES;
        const size_t before = rig.Done(message);
        EXPECT_TRUE(send ? rig.inst->RequestSendSequences(&window)
                         : rig.inst->RequestFetchSequences(&window));
        EXPECT_TRUE(rig.WaitDone(message, before + 1));
    };
    auto names = [&] {
        std::vector<std::string> all;
        StateGuard g(AppStateLock());
        for (CNamedObject* obj : rig.inst->Sequences())
            all.push_back(static_cast<CSequence*>(obj)->GetText(0));
        return all;
    };

    transfer(false);
    EXPECT_EQ(window.Count(1047), 1u);
    EXPECT_EQ(names(), (std::vector<std::string>{"ZERO_SPAN, 7 STEPS", "MULTIPOINT, 13 STEPS",
                                                 "PURGE, 3 STEPS"}));
    {
        StateGuard g(AppStateLock());
        static_cast<CSequence*>(rig.inst->Sequences().At(2))->AddStep(new CStepLevel);
    }
    transfer(true);
    EXPECT_EQ(window.Count(1049), 1u);
    const std::string wire = rig.Wire("SEQLISTEND\r\n");
    EXPECT_NE(wire.find("      PURGE\r\n      DELAY 10.0\r\n      STANDBY\r\n      LEVEL 10\r\n"),
              std::string::npos);
    transfer(false);
    EXPECT_EQ(window.Count(1047), 2u);
    EXPECT_EQ(names().at(2), "PURGE, 4 STEPS");
    EXPECT_TRUE(rig.Disconnect());
}

} // namespace
