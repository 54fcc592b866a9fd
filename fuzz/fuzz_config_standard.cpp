// Arbitrary bytes through the standard configuration reader: it must end, without a crash,
// either with the three lists read or with the configuration in memory as it was.
#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemorySettingsStore settings;
    static CVANTIQApp* app = [] {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
        return new CVANTIQApp(settings);
    }();
    const std::vector<uint8_t> bytes(data, data + size);
    // Half the inputs get the header, so that the lists themselves are reached often.
    std::vector<uint8_t> withHeader = {0xB4, 0xD0, 0x54, 0xA5, 0x14, 0, 0, 0};
    withHeader.insert(withHeader.end(), bytes.begin(), bytes.end());
    const std::vector<uint8_t>& input = (size > 0 && (data[0] & 1)) ? withHeader : bytes;

    const size_t before =
        app->Sites().GetCount() + app->Modems().GetCount() + app->Instruments().GetCount();
    if (!CNetworkConfiguration::LoadStandard(*app, input)) {
        const size_t after =
            app->Sites().GetCount() + app->Modems().GetCount() + app->Instruments().GetCount();
        if (after != before)
            std::abort(); // a failed load must leave the configuration alone
    } else {
        // What was read must save again.
        (void)CNetworkConfiguration::SaveStandard(*app);
    }
    return 0;
}
