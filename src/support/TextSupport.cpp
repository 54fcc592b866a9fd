#include "support/TextSupport.h"

#include "app/VANTIQApp.h"
#include "model/InstrumentKeywords.h"
#include "support/GasUnitRegistry.h"
#include "support/ListNodePool.h"
#include "support/NamedObject.h"
#include "support/SupportLock.h"
#include "support/TypeRegistry.h"

bool InitSupportLibrary() {
    SupportGuard guard(SupportLock());
    ListNodePool::Instance().Setup();
    TypeRegistry::CreateRegistry();
    SetDefaultNameFlags(NAME_PLAIN);
    RegisterUnitType();
    RegisterUnits();
    RegisterGasType();
    RegisterGases();
    return FindUnit(UNIT_PPB) != nullptr && FindGas(GAS_SO2) != nullptr;
}

void FreeSupportLibrary() {
    SupportGuard guard(SupportLock());
    DestroyGases();
    DestroyUnits();
    TypeRegistry::DestroyRegistry();
    ListNodePool::Instance().Release();
}

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
