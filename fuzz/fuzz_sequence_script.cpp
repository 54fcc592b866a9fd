// Arbitrary bytes as a sequence configuration script, read the way a script file is read.
// Whatever reads without a syntax error must be written back as a script that reads again
// without one, with as many sequences and steps.

#include "FuzzInput.h"
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Reads text into inst; the number of syntax errors noted.
uint32_t Read(const std::string& text, CInstrumentConnection& inst, bool& listOk) {
    std::FILE* file = ::fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (!file) {
        listOk = false;
        return 1;
    }
    FileInstrumentTokenStream ts(file, FileInstrumentTokenStream::kDefaultBufferSize);
    ts.SetSpanLines(true);
    listOk = ReadSequenceList(ts, inst);
    std::fclose(file);
    return ts.GetErrorCount();
}

size_t StepCount(const CInstrumentConnection& inst) {
    size_t steps = 0;
    for (const CNamedObject* obj : inst.Sequences())
        steps += static_cast<const CSequence*>(obj)->Steps().GetCount();
    return steps;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    InitTextTablesOnce();
    if (size == 0)
        return 0; // fmemopen wants at least one byte
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    CInstrumentConnection first;
    bool listOk = false;
    if (Read(text, first, listOk) != 0 || !listOk || !FindUnwritableSequence(first).empty())
        return 0;
    for (unsigned flags : {1u, 3u}) {
        const std::string script = BuildSequenceScript(first, flags);
        CInstrumentConnection again;
        bool againOk = false;
        Check(Read(script, again, againOk) == 0 && againOk);
        Check(again.Sequences().GetCount() == first.Sequences().GetCount());
        Check(StepCount(again) == StepCount(first));
    }
    return 0;
}
