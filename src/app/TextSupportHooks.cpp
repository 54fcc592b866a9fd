#include "app/TextSupportHooks.h"

#include "app/VANTIQApp.h"
#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

void InstallTextSupport(CVANTIQApp& app) {
    app.AddHook(CVANTIQApp::Hook::RegisterSupport,
                [](CVANTIQApp&) { return InitSupportLibrary(); });
    app.AddHook(CVANTIQApp::Hook::SortKeywordTables, [](CVANTIQApp&) {
        SortTokenTables();
        return true;
    });
    app.AddHook(CVANTIQApp::Hook::FreeSupport, [](CVANTIQApp&) {
        FreeSupportLibrary();
        return true;
    });
}
