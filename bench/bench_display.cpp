// The front panel display: a refresh that changes every character, one that changes one, and
// one that changes none (the common case while the instrument's screen stands still).
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/DisplayWindow.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string Screen(char fill) {
    std::string s = "SAMPLE                  RANGE=500.0 PPB <TST TST> CAL                   SETUP";
    for (char& c : s)
        if (c == ' ')
            c = fill;
    return s;
}

void BM_DisplayAllChanged(benchmark::State& state) {
    DisplayFont::Load();
    CDisplayWindow display(nullptr, 2, 40, false);
    const std::string a = Screen('.'), b = Screen(':');
    bool flip = false;
    for (auto _ : state) {
        display.SetCursor(0, 0);
        display.Write(flip ? a : b);
        flip = !flip;
    }
    state.counters["copies/refresh"] = benchmark::Counter(
        static_cast<double>(display.GlyphCopies()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DisplayAllChanged);

void BM_DisplayOneChanged(benchmark::State& state) {
    DisplayFont::Load();
    CDisplayWindow display(nullptr, 2, 40, false);
    std::string text = Screen(' ');
    char digit = '0';
    for (auto _ : state) {
        text[33] = digit;
        digit = digit == '9' ? '0' : static_cast<char>(digit + 1);
        display.SetCursor(0, 0);
        display.Write(text);
    }
}
BENCHMARK(BM_DisplayOneChanged);

void BM_DisplayUnchanged(benchmark::State& state) {
    DisplayFont::Load();
    CDisplayWindow display(nullptr, 2, 40, false);
    const std::string text = Screen(' ');
    display.Write(text);
    for (auto _ : state) {
        display.SetCursor(0, 0);
        display.Write(text);
    }
}
BENCHMARK(BM_DisplayUnchanged);

} // namespace
