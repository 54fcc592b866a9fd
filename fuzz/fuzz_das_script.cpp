// Arbitrary bytes as a DAS script file, read into an instrument's channel list and built
// back into text.
#include "FuzzInput.h"
#include "das/DASChannel.h"
#include "das/DASScript.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

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
        ReadDASScript(ts, inst);
        (void)BuildDASScript(inst, TEXT_SCRIPT);
    }
    return 0;
}
