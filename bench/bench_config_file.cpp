// Saving and loading a large network (1000 sites, 2000 instruments, 10 modem definitions)
// in both file forms, through the files, as the Open and Save commands do.
#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void BuildLargeNetwork(CVANTIQApp& app) {
    for (int m = 0; m < 10; ++m) {
        auto* modem = new CModemSettings;
        modem->SetName("Modem " + std::to_string(m));
        app.Modems().AddTail(modem);
    }
    for (int s = 0; s < 1000; ++s) {
        auto* site = new CSiteConnection;
        site->SetName("Site " + std::to_string(s));
        switch (s % 3) {
        case 0: {
            auto* port = new CCommPortConnection;
            port->SetPortName("/dev/ttyS" + std::to_string(s % 8));
            site->SetConnection(port);
            break;
        }
        case 1: {
            auto* modem = new CModemConnection;
            modem->SetModemId(app.Modems().At(s % 10)->GetId());
            modem->SetTelephoneNumber("555-" + std::to_string(1000 + s));
            site->SetConnection(modem);
            break;
        }
        default: {
            auto* tcp = new CTCPConnection;
            tcp->SetAddress("10.0." + std::to_string(s / 250) + "." + std::to_string(s % 250));
            tcp->SetPort(3000);
            site->SetConnection(tcp);
            break;
        }
        }
        app.Sites().AddTail(site);
    }
    for (int i = 0; i < 2000; ++i) {
        auto* inst = new CInstrumentConnection;
        inst->SetName("Instrument " + std::to_string(i));
        inst->SetSiteId(app.Sites().At(static_cast<size_t>(i / 2))->GetId());
        inst->SetInstrumentId(i);
        inst->SetUseInstrumentId(true);
        inst->SetPassword(101);
        inst->SetUsePassword(i % 2 == 0);
        inst->SetSelectCode("\x1B"
                            "S" +
                            std::to_string(i));
        inst->SetUseSelect(true);
        app.Instruments().AddTail(inst);
    }
}

struct Bench {
    MemorySettingsStore settings;
    CVANTIQApp app{settings};
    std::string folder;

    Bench() {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
        app.SeedRandom(12345);
        BuildLargeNetwork(app);
        folder = (std::filesystem::temp_directory_path() /
                  ("gasquill-bench-" + std::to_string(::getpid())))
                     .string();
        std::filesystem::create_directories(folder);
    }
    ~Bench() { std::filesystem::remove_all(folder); }
    std::string Path(const char* name) const { return folder + "/" + name; }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

void Save(benchmark::State& state, const char* name) {
    Bench& b = Shared();
    const std::string path = b.Path(name);
    for (auto _ : state) {
        if (!CNetworkConfiguration::LoadSave(b.app, path, true, false))
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

// Each load replaces the configuration that the previous one left, as reopening does.
void Load(benchmark::State& state, const char* name) {
    Bench& b = Shared();
    const std::string path = b.Path(name);
    if (!CNetworkConfiguration::LoadSave(b.app, path, true, false)) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        if (!CNetworkConfiguration::LoadSave(b.app, path, false, false))
            state.SkipWithError("load failed");
    }
    state.counters["objects"] = static_cast<double>(
        b.app.Modems().GetCount() + b.app.Sites().GetCount() + b.app.Instruments().GetCount());
}

void BM_SaveStandard(benchmark::State& state) {
    Save(state, "net.cfg");
}
void BM_LoadStandard(benchmark::State& state) {
    Load(state, "net.cfg");
}
void BM_SaveText(benchmark::State& state) {
    Save(state, "net.cfx");
}
void BM_LoadText(benchmark::State& state) {
    Load(state, "net.cfx");
}

BENCHMARK(BM_SaveStandard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStandard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond);

} // namespace
