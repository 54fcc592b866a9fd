// Arbitrary bytes on the simulated instrument's serial port: every command line through its
// modules (DAS lists, configuration, record reports with their selections, script uploads),
// each reply streamed to its end. The simulator must neither crash nor stop answering.
//
// Input: byte 0 picks the library revision (what the DAS offers), byte 1 the fault; the
// rest is what arrives, in pieces cut at every byte 0xFF.
#include "sim/SimInstrument.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    static const char* const kLibraries[] = {"2.0", "2.2", "2.3", "2.4", "2.8", "3.0"};
    static const SimFault kFaults[] = {SimFault::None, SimFault::BadCrc, SimFault::NoConfirm,
                                       SimFault::StopHalfway, SimFault::Truncate};
    SimConfig config;
    config.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    config.libraryRevision = kLibraries[data[0] % 6];
    config.fault = kFaults[data[1] % 5];
    // Few records, so that every report is drained quickly.
    config.dasRecords = 40;
    SimInstrument sim(config);
    std::string piece;
    for (size_t i = 2; i <= size; ++i) {
        if (i < size && data[i] != 0xFF) {
            piece += static_cast<char>(data[i]);
            continue;
        }
        for (SimInstrument::Output out = sim.Receive(piece);; out = sim.Receive(std::string())) {
            SimInstrument::Drain(out);
            if (!out.stream)
                break;
        }
        piece.clear();
    }
    return 0;
}
