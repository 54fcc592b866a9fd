// Arbitrary bytes as an instrument's DAS listing ("print"), read channel by channel.
#include "FuzzInput.h"
#include "das/DASChannel.h"
#include "das/DASScript.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InitTextTablesOnce();
    const FuzzInputFile input(data, size);
    std::FILE* file = input.Get();
    if (!file)
        return 0;
    {
        CInstrumentConnection inst;
        FileInstrumentTokenStream ts(file);
        ts.SetSpanLines(true);
        ts.GetToken();
        while (ts.GetTokenCode() == PH_SETUP_PROPERTIES_FOR) {
            auto channel = std::make_unique<CDASChannel>(&inst);
            if (!channel->Parse(ts, 0))
                break;
            inst.DasChannels().AddTail(channel.release());
        }
        (void)BuildDASScript(inst, TEXT_SCRIPT);
    }
    return 0;
}
