// Arbitrary bytes through the text configuration reader: it must end, without a crash,
// either with the lists read (which then write again) or with a syntax error message and the
// configuration in memory as it was.
#include "app/NetworkConfigText.h"
#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemorySettingsStore settings;
    static CVANTIQApp* app = [] {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
        return new CVANTIQApp(settings);
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t before =
        app->Sites().GetCount() + app->Modems().GetCount() + app->Instruments().GetCount();
    std::string message;
    switch (CNetworkConfigText::LoadBytes(*app, bytes, "fuzz.cfx", message)) {
    case CNetworkConfigText::LoadResult::Loaded: {
        std::string text, refusal;
        (void)CNetworkConfigText::Write(*app, "fuzz.cfx", text, refusal);
        break;
    }
    case CNetworkConfigText::LoadResult::SyntaxError: {
        const size_t after =
            app->Sites().GetCount() + app->Modems().GetCount() + app->Instruments().GetCount();
        if (message.empty() || after != before)
            std::abort();
        break;
    }
    default:
        break;
    }
    return 0;
}
