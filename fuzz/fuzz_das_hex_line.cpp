// One hexadecimal record line: the first byte picks the channel's layout (number of
// parameters, which store samples, CRC or checksum form), the rest is the line.
#include "das/DASChannel.h"
#include "das/HexRecordReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t layout = data[0];
    CDASChannel channel;
    const int parameters = 1 + layout % 10;
    for (int i = 0; i < parameters; ++i) {
        auto* p = new CDASParameter(&channel);
        p->SetInstrumentStoresSamples((layout >> 4) & (1 << (i % 3)));
        p->SetSelected(i % 2 == 0);
        channel.Parameters().AddTail(p);
    }
    CHexRecordReader reader(channel, layout & 0x80);
    reader.Take(reinterpret_cast<const char*>(data + 1), size - 1, 10, 0xFFFFFFF0u);
    return 0;
}
