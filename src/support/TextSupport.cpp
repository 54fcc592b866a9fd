#include "support/TextSupport.h"

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
