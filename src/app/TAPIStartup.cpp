#include "app/TAPIStartup.h"

#include "app/VANTIQApp.h"
#include "base/SettingsStore.h"
#include "base/StateLock.h"
#include "connections/TAPIModemDevice.h"

#include <memory>
#include <mutex>
#include <string>

namespace {

const char* const kGroup = "Telephony";
constexpr int kMaxLines = 256;
constexpr uint32_t kDefaultSpeed = 19200;

std::mutex g_serviceLock;
std::unique_ptr<TelephonyService> g_service;

void StopService() {
    std::unique_ptr<TelephonyService> old;
    {
        std::lock_guard<std::mutex> guard(g_serviceLock);
        TelephonyService::SetCurrent(nullptr);
        old = std::move(g_service);
    }
    old.reset(); // drops the calls and closes the lines, outside the lock
}

} // namespace

std::vector<TelephonyLineConfig> ReadTelephonyLines(SettingsStore& settings) {
    std::vector<TelephonyLineConfig> lines;
    for (int n = 1; n <= kMaxLines; ++n) {
        const std::string prefix = "Line" + std::to_string(n);
        const auto device = settings.ReadString(kGroup, prefix + "Device");
        if (!device || device->empty())
            break;
        TelephonyLineConfig line;
        line.device = *device;
        line.name = settings.ReadString(kGroup, prefix + "Name").value_or("");
        if (line.name.empty())
            line.name = line.device;
        const auto speed = settings.ReadInt(kGroup, prefix + "Speed");
        line.speed = speed && *speed > 0 && *speed <= UINT32_MAX ? static_cast<uint32_t>(*speed)
                                                                 : kDefaultSpeed;
        lines.push_back(std::move(line));
    }
    return lines;
}

void InstallTelephony(CVANTIQApp& app) {
    app.AddHook(CVANTIQApp::Hook::StartTelephony, [](CVANTIQApp& a) {
        StopService();
        std::vector<TelephonyLineConfig> lines = ReadTelephonyLines(a.GetSettingsStore());
        if (lines.empty()) {
            a.SetTelephony(0, 0, 0);
            return false;
        }
        auto service = std::make_unique<TelephonyATBackend>(std::move(lines));
        size_t count;
        {
            StateGuard guard(AppStateLock());
            count = CTAPIModemDevice::FillDeviceList(a.TelephonyDevices(), service.get());
        }
        a.SetTelephony(1, static_cast<uint32_t>(service->GetLineCount()),
                       TelephonyService::kApiVersion);
        std::lock_guard<std::mutex> guard(g_serviceLock);
        g_service = std::move(service);
        TelephonyService::SetCurrent(g_service.get());
        return count > 0;
    });
    app.AddHook(CVANTIQApp::Hook::StopTelephony, [](CVANTIQApp& a) {
        StopService();
        a.SetTelephony(0, 0, 0);
        return true;
    });
}
