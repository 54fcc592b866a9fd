#pragma once
// The built-in demo (gasquill --demo): two simulated instruments, a Monitor and a
// Calibrator, served in-process on loopback TCP ports, a network configuration that reaches
// them, and a settings profile of the demo's own, all in a temporary folder that goes away
// when the demo ends. The user's settings and files are not touched.

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

class CVANTIQApp;
class QSocketNotifier;
class SimServer;

class Demo {
public:
    static constexpr const char* kOption = "--demo";
    static constexpr const char* kMonitorName = "Demo Monitor";
    static constexpr const char* kCalibratorName = "Demo Calibrator";

    Demo();
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // True when the command line asks for the demo.
    static bool Requested(int argc, const char* const* argv);

    // Makes the folder and starts the two simulators. False with a message.
    bool Start(std::string& error);
    // Writes the demo's network configuration through the program's own file code, leaving
    // the application's lists empty again. Call before start-up; false with a message.
    bool WriteConfiguration(CVANTIQApp& app, std::string& error);
    // The command line the program starts with: the demo option replaced by the demo's
    // configuration file.
    std::vector<std::string> Arguments(int argc, const char* const* argv) const;
    void Stop();

    QString SettingsPath() const;
    std::string ConfigurationPath() const;
    std::string Folder() const;
    uint16_t MonitorPort() const;
    uint16_t CalibratorPort() const;
    SimServer* Monitor() const { return m_monitor.get(); }
    SimServer* Calibrator() const { return m_calibrator.get(); }

private:
    void WriteSettings();
    // Ctrl+C or a polite kill ends the program through its event loop, so the demo's folder
    // and simulators go away with it rather than being left behind.
    void QuitOnSignals();

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<SimServer> m_monitor;
    std::unique_ptr<SimServer> m_calibrator;
    std::unique_ptr<QSocketNotifier> m_signalNotifier;
};
