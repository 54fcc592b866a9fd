// Tokenizing a large DAS script read from a file: the rate every script and listing reader
// stands on.
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// About targetBytes of a script: channels with dates, periods, flags and parameter lists.
std::string MakeScript(size_t targetBytes) {
    std::string s = "DASBEGIN\r\n";
    int n = 0;
    while (s.size() < targetBytes) {
        ++n;
        s += "CHANNELBEGIN\r\n";
        s += "  NAME \"CONC" + std::to_string(n) + "\"\r\n";
        s += "  EVENT \"ATIMER\"\r\n";
        s += "  RECORDS " + std::to_string(800 + n % 200) + "\r\n";
        s += "  STARTDATE 12/" + std::to_string(1 + n % 28) + "/2026\r\n";
        s += "  SAMPLEPERIOD 000:00:01\r\n  REPORTPERIOD 000:01:00\r\n";
        s += "  REPORT ENABLED\r\n  COMPACT DISABLED\r\n  STATUS ENABLED\r\n  HOLDOFF DISABLED\r\n";
        s += "  PARAMLISTBEGIN\r\n";
        s += "    PARAMETER \"NOXCNC1\" AVG 4 STORESAMPLES\r\n";
        s += "    PARAMETER \"SAMPFLW\" INST 1\r\n";
        s += "    PARAMETER \"O3\" MAX 2\r\n";
        s += "    PARAMETER \"STABIL\" MIN 0x10 -3.25e2\r\n";
        s += "  PARAMLISTEND\r\n";
        s += "CHANNELEND\r\n";
    }
    s += "DASEND\r\n";
    return s;
}

void BM_TokenizeDasScript(benchmark::State& state) {
    InitSupportLibrary();
    SortTokenTables();
    const std::string script = MakeScript(10u << 20);
    std::FILE* file = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), file);
    size_t tokens = 0;
    for (auto _ : state) {
        std::rewind(file);
        FileInstrumentTokenStream ts(file);
        ts.SetSpanLines(true);
        while (ts.GetToken() != TOKEN_END)
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * script.size()));
    state.counters["tokens"] = static_cast<double>(tokens / state.iterations());
    FreeSupportLibrary();
}
BENCHMARK(BM_TokenizeDasScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
