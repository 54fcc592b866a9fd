// A calibrator's largest sequence configuration, 100 sequences of 100 steps: writing its
// script, and reading the script back the way a script file is read. Target: each at most
// 20 ms.
#include "instruments/InstrumentConnection.h"
#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "model/TextFlags.h"
#include "sequences/EGasValue.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"
#include "sequences/StepDelay.h"
#include "sequences/StepGPT.h"
#include "sequences/StepGenerate.h"
#include "sequences/StepManual.h"
#include "sequences/StepPurge.h"
#include "sequences/StepStatusBlock.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"
#include "support/TextSupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void Fill(CInstrumentConnection& inst) {
    for (int s = 0; s < 100; ++s) {
        auto* seq = new CSequence(&inst, "SEQ" + std::to_string(s));
        seq->SetRepeatCount(s % 5);
        for (int i = 0; i < 100; ++i) {
            switch (i % 6) {
            case 0: {
                auto* step = new CStepGenerate;
                step->SetConcentration(EGasValue(10.0 * i, UNIT_PPB, GAS_SO2));
                seq->AddStep(step);
                break;
            }
            case 1: {
                auto* step = new CStepGPT;
                step->SetNO(EGasValue(450, UNIT_PPB, GAS_NO));
                step->SetO3(EGasValue(4.0 * i, UNIT_PPB, GAS_O3));
                seq->AddStep(step);
                break;
            }
            case 2: {
                auto* step = new CStepDelay;
                step->SetMinutes(0.5f * static_cast<float>(i));
                seq->AddStep(step);
                break;
            }
            case 3: {
                auto* step = new CStepManual;
                step->SetMode(CStepManual::MODE_BENCH);
                step->SetSetpoint(250);
                seq->AddStep(step);
                break;
            }
            case 4:
                seq->AddStep(new CStepStatusBlock);
                break;
            default:
                seq->AddStep(new CStepPurge);
                break;
            }
        }
        inst.Sequences().AddTail(seq);
    }
}

struct Setup {
    Setup() {
        InitSupportLibrary();
        SortTokenTables();
    }
};

void BM_BuildSequenceScript(benchmark::State& state) {
    static Setup setup;
    CInstrumentConnection inst;
    Fill(inst);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string script = BuildSequenceScript(inst, kSequenceFileFlags);
        bytes = script.size();
        benchmark::DoNotOptimize(script.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildSequenceScript)->Unit(benchmark::kMillisecond);

void BM_ParseSequenceScript(benchmark::State& state) {
    static Setup setup;
    CInstrumentConnection source;
    Fill(source);
    const std::string script = BuildSequenceScript(source, kSequenceFileFlags);
    std::FILE* file = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), file);
    for (auto _ : state) {
        std::rewind(file);
        CInstrumentConnection inst;
        FileInstrumentTokenStream ts(file);
        ts.SetSpanLines(true);
        if (!ReadSequenceList(ts, inst) || inst.Sequences().GetCount() != 100)
            state.SkipWithError("the script did not read back");
        benchmark::DoNotOptimize(inst.Sequences().GetCount());
    }
    std::fclose(file);
}
BENCHMARK(BM_ParseSequenceScript)->Unit(benchmark::kMillisecond);

} // namespace
