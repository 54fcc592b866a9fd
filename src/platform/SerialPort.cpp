#include "platform/SerialPort.h"

#include "platform/PosixSerialPort.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_factoryLock;
SerialPort::Factory g_factory;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The 8250 driver registers every possible UART; only those with hardware behind them report
// a port type.
bool HasHardware(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool ok = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return ok;
}

} // namespace

std::unique_ptr<SerialPort> SerialPort::GetPortByName(const std::string& name) {
    Factory factory;
    {
        std::lock_guard<std::mutex> guard(g_factoryLock);
        factory = g_factory;
    }
    if (factory)
        return factory(name);
    return std::make_unique<PosixSerialPort>(name);
}

void SerialPort::SetFactory(Factory factory) {
    std::lock_guard<std::mutex> guard(g_factoryLock);
    g_factory = std::move(factory);
}

std::string SerialPort::DevicePath(const std::string& name) {
    if (name.size() > 3 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(name[2])) == 'M' &&
        std::all_of(name.begin() + 3, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }) &&
        name.size() <= 8) {
        const long n = std::strtol(name.c_str() + 3, nullptr, 10);
        if (n >= 1)
            return "/dev/ttyS" + std::to_string(n - 1);
    }
    return name;
}

std::vector<std::string> SerialPort::ListPorts() {
    std::vector<std::string> ports;
    const std::string base = "/sys/class/tty/";
    DIR* dir = ::opendir(base.c_str());
    if (!dir)
        return ports;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        // Virtual terminals and ptys have no device behind them.
        char driver[256];
        const ssize_t len =
            ::readlink((base + name + "/device/driver").c_str(), driver, sizeof driver - 1);
        if (len <= 0)
            continue;
        driver[len] = '\0';
        const std::string device = "/dev/" + name;
        if (!Exists(device))
            continue;
        const std::string driverName =
            std::string(driver).substr(std::string(driver).rfind('/') + 1);
        if (driverName == "serial8250" && !HasHardware(device))
            continue;
        ports.push_back(device);
    }
    ::closedir(dir);
    std::sort(ports.begin(), ports.end());
    return ports;
}
