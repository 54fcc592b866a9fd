// DAS records at volume: checking, decoding and storing hexadecimal record lines, the memory
// a million records of one parameter take, and writing a million-row data file.
#include "das/DASChannel.h"
#include "das/DataFileWriter.h"
#include "das/DataRecordSet.h"
#include "das/HexRecordReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Lines of a one-parameter channel on a new-DAS instrument: time, value, CRC.
std::vector<std::string> MakeLines(size_t count) {
    static const char* d = "0123456789ABCDEF";
    std::vector<std::string> lines;
    lines.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        uint8_t bytes[10];
        const uint32_t time = 1700000000u + static_cast<uint32_t>(i) * 60;
        const float value = 20.0f + static_cast<float>(i % 97) * 0.25f;
        std::memcpy(bytes, &time, 4);
        std::memcpy(bytes + 4, &value, 4);
        const uint16_t crc = CHexRecordReader::Crc16(bytes, 8);
        bytes[8] = static_cast<uint8_t>(crc & 0xFF);
        bytes[9] = static_cast<uint8_t>(crc >> 8);
        std::string line;
        for (uint8_t b : bytes)
            line += {d[b >> 4], d[b & 15]};
        lines.push_back(line + "\r\n");
    }
    return lines;
}

CDASChannel& OneParameterChannel() {
    static CDASChannel* channel = [] {
        auto* ch = new CDASChannel;
        ch->SetName("CONC1");
        auto* p = new CDASParameter(ch);
        p->SetName("NOX");
        p->SetSelected(true);
        ch->Parameters().AddTail(p);
        return ch;
    }();
    return *channel;
}

void BM_HexLinesCheckDecodeStore(benchmark::State& state) {
    const auto lines = MakeLines(100000);
    CDASChannel& ch = OneParameterChannel();
    CDASParameter* p = ch.GetParameter(0);
    for (auto _ : state) {
        p->ClearRecords();
        p->ReserveRecords(lines.size());
        CHexRecordReader reader(ch, true);
        for (const std::string& line : lines)
            benchmark::DoNotOptimize(reader.Take(line.data(), line.size()));
    }
    if (p->GetRecordCount() != lines.size())
        state.SkipWithError("lines were dropped");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_HexLinesCheckDecodeStore)->Unit(benchmark::kMillisecond);

void BM_MillionRecordsMemory(benchmark::State& state) {
    const auto lines = MakeLines(1000000);
    CDASChannel& ch = OneParameterChannel();
    CDASParameter* p = ch.GetParameter(0);
    for (auto _ : state) {
        p->ClearRecords();
        // As a download does: room for the count the instrument reports, given back after.
        p->ReserveRecords(lines.size());
        CHexRecordReader reader(ch, true);
        for (const std::string& line : lines)
            reader.Take(line.data(), line.size());
        p->CompactRecords();
    }
    state.counters["records"] = static_cast<double>(p->GetRecordCount());
    state.counters["bytes"] = static_cast<double>(p->GetRecordMemory());
    state.counters["bytes_per_record"] =
        static_cast<double>(p->GetRecordMemory()) / static_cast<double>(p->GetRecordCount());
}
BENCHMARK(BM_MillionRecordsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SaveRecordSetMillionRows(benchmark::State& state) {
    CDASChannel ch;
    ch.SetName("CONC1");
    for (const char* name : {"NOX", "NO", "NO2"}) {
        auto* p = new CDASParameter(&ch);
        p->SetName(name);
        p->SetPrecision(3);
        p->ReserveRecords(1000000);
        for (uint32_t i = 0; i < 1000000; ++i)
            p->Records().emplace_back(12.5 + (i % 1000) * 0.001, 1, 1700000000u + i * 60, true);
        ch.Parameters().AddTail(p);
    }
    ch.SetSelected(true);
    CDataRecordSet set;
    ch.FillRecordSet(set);
    std::string dir = (std::filesystem::temp_directory_path() / "gasquill-bench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = dir + "/data.txt";
    for (auto _ : state)
        if (!SaveRecordSet(set, path, false, false))
            state.SkipWithError("save failed");
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * set.GetRows());
}
BENCHMARK(BM_SaveRecordSetMillionRows)->Unit(benchmark::kMillisecond);

} // namespace
