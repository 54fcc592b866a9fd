// The simulated Calibrator's sequence module: the listing, an upload and its two faults.

#include "sim/SimConfig.h"
#include "sim/SimInstrument.h"
#include "sim/SimSequences.h"

#include <gtest/gtest.h>

namespace {

const char* const kPrint = "\x03"
                           "c print script\r\n";
const std::string kUpload = "SEQLISTBEGIN\r\n  SEQBEGIN\r\n    NAME \"X\"\r\n  SEQEND\r\n"
                            "SEQLISTEND\r\n";

SimConfig Calibrator(SimFault fault = SimFault::None) {
    SimConfig c;
    c.type = "Calibrator";
    c.fault = fault;
    return c;
}

TEST(SimSequences, ListsTakesAnUploadAndShowsItsFaults) {
    const struct {
        SimFault fault;
        const char* confirmation; // the reply to the upload
        bool kept;
    } rows[] = {
        {SimFault::None, "New sequence configuration stored.\r\n\r\n", true},
        {SimFault::SeqNoConfirm, "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(SimFaultName(row.fault));
        SimInstrument sim(Calibrator(row.fault));
        EXPECT_EQ(sim.Receive(kPrint).reply, std::string(SimSequences::DefaultScript()) + "\r\n");
        // The upload comes line by line, unframed; only its last line is answered.
        std::string replies;
        for (size_t at = 0; at < kUpload.size();) {
            const size_t end = kUpload.find('\n', at) + 1;
            replies += sim.Receive(kUpload.substr(at, end - at)).reply;
            at = end;
        }
        EXPECT_EQ(replies, row.confirmation);
        EXPECT_EQ(sim.Receive(kPrint).reply,
                  (row.kept ? kUpload : std::string(SimSequences::DefaultScript())) + "\r\n");
    }

    SimInstrument half(Calibrator(SimFault::SeqHalfReply));
    std::string listing = half.Receive(kPrint).reply;
    ASSERT_GE(listing.size(), 2u);
    listing.erase(listing.size() - 2); // the line end after the cut
    EXPECT_EQ(listing, std::string(SimSequences::DefaultScript()).substr(0, listing.size()));
    EXPECT_LT(listing.size(), std::string(SimSequences::DefaultScript()).size());

    // A Monitor has no sequences.
    SimInstrument monitor(SimConfig{});
    EXPECT_EQ(monitor.Receive(kPrint).reply.find("SEQLISTBEGIN"), std::string::npos);
}

} // namespace
