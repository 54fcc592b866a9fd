// Arbitrary bytes as an instrument's DAS listing ("print"), read channel by channel.
#include "das/DASChannel.h"
#include "das/DASScript.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitSupportLibrary();
        SortTokenTables();
        return true;
    }();
    (void)ready;
    std::FILE* file = std::tmpfile();
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::rewind(file);
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
    std::fclose(file);
    return 0;
}
