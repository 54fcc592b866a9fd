#include "platform/SerialPort.h"

#include "platform/PosixSerialPort.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_factoryLock;
SerialPort::Factory g_factory;

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

// What a person would call the port: the USB product (as the adapter names itself), else the
// kind of port.
std::string Describe(const std::string& name, const fs::path& device, const std::string& driver) {
    std::error_code ec;
    fs::path dir = fs::canonical(device, ec);
    for (int up = 0; !ec && up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
        const std::string product = ReadLine(dir / "product");
        if (product.empty())
            continue;
        const std::string maker = ReadLine(dir / "manufacturer");
        if (maker.empty() || product.compare(0, maker.size(), maker) == 0)
            return product;
        return maker + " " + product;
    }
    if (name.compare(0, 4, "ttyS") == 0)
        return "built-in serial port";
    return driver + " serial port";
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
    for (const SerialPortInfo& info : ListPortInfo())
        if (info.path.rfind(SerialScanRoots{}.byId, 0) != 0)
            ports.push_back(info.path);
    return ports;
}

std::vector<SerialPortInfo> SerialPort::ListPortInfo(const SerialScanRoots& roots) {
    std::error_code ec;
    // The by-id links, by the name of the tty they lead to.
    std::multimap<std::string, std::string> links;
    for (const auto& entry : fs::directory_iterator(roots.byId, ec)) {
        const fs::path target = fs::read_symlink(entry.path(), ec);
        if (!ec)
            links.emplace(target.filename().string(), entry.path().filename().string());
    }
    std::vector<std::pair<std::string, std::string>> ttys; // name, description
    for (const auto& entry : fs::directory_iterator(roots.ttyClass, ec)) {
        const std::string name = entry.path().filename().string();
        const fs::path device = entry.path() / "device";
        std::error_code linkError;
        const fs::path driver = fs::read_symlink(device / "driver", linkError);
        if (linkError)
            continue; // no device behind it
        const std::string type = ReadLine(entry.path() / "type");
        if (!type.empty() && std::strtol(type.c_str(), nullptr, 10) == PORT_UNKNOWN)
            continue; // a serial-core port with no UART
        if (!Exists(roots.devices + "/" + name))
            continue;
        ttys.emplace_back(name, Describe(name, device, driver.filename().string()));
    }
    std::sort(ttys.begin(), ttys.end());
    std::vector<SerialPortInfo> ports;
    for (const auto& [name, description] : ttys) {
        SerialPortInfo info;
        info.path = roots.devices + "/" + name;
        info.description = description;
        info.accessible = ::access(info.path.c_str(), R_OK | W_OK) == 0;
        ports.push_back(info);
        auto [from, to] = links.equal_range(name);
        std::vector<std::string> names;
        for (auto it = from; it != to; ++it)
            names.push_back(it->second);
        std::sort(names.begin(), names.end());
        for (const std::string& link : names)
            ports.push_back({roots.byId + "/" + link, description, info.accessible});
    }
    return ports;
}

std::string SerialPort::OpenErrorHint(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "No permission: join the dialout group.";
    case EBUSY:
        return "Port busy: another program holds it.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "No such port: is the adapter plugged in?";
    default:
        return std::string();
    }
}
