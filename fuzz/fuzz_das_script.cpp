// Arbitrary bytes as a DAS script file, read into an instrument's channel list and built
// back into text.
#include "das/DASChannel.h"
#include "das/DASScript.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

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
        ReadDASScript(ts, inst);
        (void)BuildDASScript(inst, TEXT_SCRIPT);
    }
    std::fclose(file);
    return 0;
}
