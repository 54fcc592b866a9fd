// Compact record lines: read line by line until the report ends or fails, then the year fix.
#include "FuzzInput.h"
#include "das/CompactRecordReader.h"
#include "das/DASChannel.h"
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
        CDASChannel channel;
        channel.SetName("CONC1");
        for (int i = 0; i < 3; ++i) {
            auto* p = new CDASParameter(&channel);
            p->SetSelected(i != 1);
            channel.Parameters().AddTail(p);
        }
        const uint32_t yearStart = DateTime(2024, 1, 1).GetSeconds();
        CCompactRecordReader reader(channel, yearStart);
        FileInstrumentTokenStream ts(file);
        // Every line is read once; the bound only guards against a reader that stops moving.
        for (size_t line = 0; line <= size + 1; ++line) {
            const auto result = reader.ReadLine(ts);
            if (result == CCompactRecordReader::END_OF_DATA ||
                result == CCompactRecordReader::FAILED)
                break;
        }
        reader.Finish(yearStart + 86400, yearStart + 60, yearStart + 400 * 86400);
    }
    return 0;
}
