// The DAS data windows with a million rows: the data view from "Vie&w Data" to its first
// painted table (target 100 ms) and scrolled to the end, and the graph of three series of a
// million points to its first paint (target 500 ms) and a zoom repaint (target 50 ms).
// Offscreen platform; grab() forces the paint being measured.
#include "das/DASChannel.h"
#include "das/DASParameter.h"
#include "das/DataRecordSet.h"
#include "das/gui/ChartAdapter.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/GraphWindow.h"
#include "instruments/InstrumentConnection.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

constexpr int kRows = 1000000;

QApplication& App() {
    static int argc = 1;
    static char arg0[] = "bench_das_gui";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// An instrument with one selected channel of three parameters, a million records each
// (every thousandth invalid).
CInstrumentConnection& Instrument() {
    static std::unique_ptr<CInstrumentConnection> inst = [] {
        auto i = std::make_unique<CInstrumentConnection>();
        i->SetName("Monitor 1");
        auto* ch = new CDASChannel(i.get());
        ch->SetName("CONC1");
        for (const char* name : {"NOX", "NO", "O3"}) {
            auto* p = new CDASParameter(ch);
            p->SetName(name);
            p->SetPrecision(2);
            p->Records().reserve(kRows);
            for (int r = 0; r < kRows; ++r)
                p->Records().emplace_back(20 + 10 * std::sin(r / 500.0), 60,
                                          1700000000u + 60u * static_cast<uint32_t>(r),
                                          r % 1000 != 999);
            ch->Parameters().AddTail(p);
        }
        ch->SetSelected(true);
        i->DasChannels().AddTail(ch);
        return i;
    }();
    return *inst;
}

CDASChannel& Channel() {
    return *static_cast<CDASChannel*>(Instrument().DasChannels().At(0));
}

void BM_DataViewFirstPaint(benchmark::State& state) {
    App();
    Channel();
    for (auto _ : state) {
        CDataRecordSet set;
        Channel().FillRecordSet(set);
        CDASDataViewDialog view(set, nullptr);
        view.show();
        benchmark::DoNotOptimize(view.grab());
        view.hide();
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_DataViewFirstPaint)->Unit(benchmark::kMillisecond);

void BM_DataViewScrollToEnd(benchmark::State& state) {
    App();
    CDataRecordSet set;
    Channel().FillRecordSet(set);
    CDASDataViewDialog view(set, nullptr);
    view.show();
    view.grab();
    bool end = false;
    for (auto _ : state) {
        end = !end;
        if (end)
            view.Table().scrollToBottom();
        else
            view.Table().scrollToTop();
        benchmark::DoNotOptimize(view.Table().grab());
    }
}
BENCHMARK(BM_DataViewScrollToEnd)->Unit(benchmark::kMillisecond);

void BM_GraphFirstPaint(benchmark::State& state) {
    App();
    CDataRecordSet set;
    Channel().FillRecordSet(set);
    for (auto _ : state) {
        CGraphWindow* graph = CGraphWindow::ShowGraph(set);
        benchmark::DoNotOptimize(graph->grab());
        state.PauseTiming();
        delete graph;
        state.ResumeTiming();
    }
    state.counters["points"] = 3.0 * kRows;
}
BENCHMARK(BM_GraphFirstPaint)->Unit(benchmark::kMillisecond);

void BM_GraphZoomRepaint(benchmark::State& state) {
    App();
    CDataRecordSet set;
    Channel().FillRecordSet(set);
    CGraphWindow* graph = CGraphWindow::ShowGraph(set);
    graph->grab();
    bool in = false;
    for (auto _ : state) {
        in = !in;
        graph->Chart().Zoom(in ? 0.8 : 1.25);
    }
    delete graph;
}
BENCHMARK(BM_GraphZoomRepaint)->Unit(benchmark::kMillisecond);

} // namespace
