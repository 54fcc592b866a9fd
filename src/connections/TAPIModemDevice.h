#pragma once
// One usable line of the telephony layer: a modem the telephone service can dial out on.
// Built at start-up into the application's device list and never stored in files. Its
// object ID is the line's permanent identifier, so a site's stored device ID keeps naming
// the same modem from run to run even when the lines are listed in another order.

#include "model/NamedObject.h"

#include <cstddef>
#include <cstdint>

class CNamedObjectList;
class TelephonyService;

class CTAPIModemDevice : public CNamedObject {
public:
    CTAPIModemDevice(const std::string& name, uint32_t permanentId, uint32_t deviceIndex,
                     uint32_t apiVersion);

    const char* GetClassName() const override { return "CTAPIModemDevice"; }
    CNamedObject* Clone() const override { return new CTAPIModemDevice(*this); }

    // The line's index for the telephony calls while the program runs.
    uint32_t GetDeviceIndex() const;
    uint32_t GetApiVersion() const;

    // Appends a device for every line of service that carries data-modem calls and names
    // itself in ASCII; returns the number added. A null service adds none.
    static size_t FillDeviceList(CNamedObjectList& list, TelephonyService* service);

private:
    uint32_t m_deviceIndex;
    uint32_t m_apiVersion;
};
