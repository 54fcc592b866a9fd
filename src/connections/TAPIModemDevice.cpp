#include "connections/TAPIModemDevice.h"

#include "base/StateLock.h"
#include "model/NamedObjectList.h"
#include "platform/TelephonyService.h"

CTAPIModemDevice::CTAPIModemDevice(const std::string& name, uint32_t permanentId,
                                   uint32_t deviceIndex, uint32_t apiVersion)
    : CNamedObject(name, permanentId), m_deviceIndex(deviceIndex), m_apiVersion(apiVersion) {}

uint32_t CTAPIModemDevice::GetDeviceIndex() const {
    StateGuard guard(AppStateLock());
    return m_deviceIndex;
}

uint32_t CTAPIModemDevice::GetApiVersion() const {
    StateGuard guard(AppStateLock());
    return m_apiVersion;
}

size_t CTAPIModemDevice::FillDeviceList(CNamedObjectList& list, TelephonyService* service) {
    if (!service)
        return 0;
    size_t added = 0;
    const size_t count = service->GetLineCount();
    for (size_t i = 0; i < count; ++i) {
        TelephonyLineInfo info;
        if (!service->GetLineInfo(i, info) || !info.dataModem || !info.asciiNames)
            continue;
        list.AddTail(new CTAPIModemDevice(info.name, info.permanentId, static_cast<uint32_t>(i),
                                          TelephonyService::kApiVersion));
        ++added;
    }
    return added;
}
