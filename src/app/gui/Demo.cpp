#include "app/gui/Demo.h"

#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "sim/SimConfig.h"
#include "sim/SimServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QSocketNotifier>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

SimConfig MonitorConfig() {
    SimConfig c;
    c.type = "Monitor";
    c.serialNumber = "M400-1187";
    c.softwareRevision = "E.7";
    // A current DAS: records with a CRC and sample counts.
    c.libraryRevision = "3.0";
    c.hasDas = true;
    // Its DAS holds an hourly and a daily timer channel and a channel triggered by the
    // daily zero/span check, each with a year of records up to the present hour.
    c.dasRecords = 0;
    return c;
}

SimConfig CalibratorConfig() {
    SimConfig c;
    c.type = "Calibrator";
    c.serialNumber = "C700-0342";
    c.softwareRevision = "E.3";
    c.libraryRevision = "2.8";
    // A calibrator of this kind keeps sequences, not DAS records, so its panel offers them.
    // Its sequence module starts with a zero/span check, a multipoint calibration with GPT and
    // a purge, for a new user to fetch and look at.
    c.hasDas = false;
    return c;
}

// The write end of the signal pipe; a signal handler may do no more than write to it.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
    const char byte = 1;
    if (g_signalPipe[1] >= 0)
        (void)!::write(g_signalPipe[1], &byte, 1);
}

} // namespace

Demo::Demo() = default;

Demo::~Demo() {
    Stop();
}

bool Demo::Requested(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i] && std::strcmp(argv[i], kOption) == 0)
            return true;
    return false;
}

bool Demo::Start(std::string& error) {
    m_folder =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/gasquill-demo-XXXXXX"));
    if (!m_folder->isValid()) {
        error = "cannot make the demo's folder: " + m_folder->errorString().toStdString();
        return false;
    }
    m_monitor = std::make_unique<SimServer>(MonitorConfig());
    m_calibrator = std::make_unique<SimServer>(CalibratorConfig());
    std::string why;
    if (!m_monitor->Start(why) || !m_calibrator->Start(why)) {
        error = "cannot start the simulated instruments: " + why;
        Stop();
        return false;
    }
    WriteSettings();
    QuitOnSignals();
    return true;
}

void Demo::QuitOnSignals() {
    if (!QCoreApplication::instance() || g_signalPipe[0] >= 0)
        return;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return;
    }
    m_signalNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_signalNotifier.get(), &QSocketNotifier::activated, [] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void Demo::WriteSettings() {
    // A profile of the demo's own: the activity log in the demo's folder, and nothing of the
    // user's settings read or written.
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/LogFilePath"),
                      QString::fromStdString(Folder() + "/Log.txt"));
    settings.setValue(QStringLiteral("Settings/CloseOnConnect"), 1);
    settings.sync();
}

bool Demo::WriteConfiguration(CVANTIQApp& app, std::string& error) {
    if (!m_monitor || !m_calibrator) {
        error = "the demo has not started";
        return false;
    }
    struct Entry {
        const char* site;
        const char* instrument;
        uint16_t port;
    };
    const Entry entries[] = {
        {"Demo Monitor Site", kMonitorName, MonitorPort()},
        {"Demo Calibrator Site", kCalibratorName, CalibratorPort()},
    };
    {
        StateGuard guard(AppStateLock());
        for (const Entry& e : entries) {
            auto tcp = std::make_unique<CTCPConnection>();
            tcp->SetAddress("127.0.0.1");
            tcp->SetPort(e.port);
            auto site = std::make_unique<CSiteConnection>();
            site->SetName(e.site);
            site->SetConnection(tcp.release());
            auto inst = std::make_unique<CInstrumentConnection>();
            inst->SetName(e.instrument);
            inst->SetSiteId(site->GetId());
            app.Sites().AddTail(site.release());
            app.Instruments().AddTail(inst.release());
        }
    }
    const bool saved = CNetworkConfiguration::LoadSave(app, ConfigurationPath(), true, true);
    // Start-up loads the file again, as it would any configuration named on the command line.
    app.DeleteModel();
    app.SetModified(false);
    if (!saved)
        error = "cannot write the demo configuration " + ConfigurationPath();
    return saved;
}

std::vector<std::string> Demo::Arguments(int argc, const char* const* argv) const {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && argv[i] && std::strcmp(argv[i], kOption) == 0)
            continue;
        args.emplace_back(argv[i] ? argv[i] : "");
    }
    // Only the program's name and the demo's file: another file named beside --demo would
    // take its place.
    args.resize(std::min<size_t>(args.size(), 1));
    args.push_back(ConfigurationPath());
    return args;
}

void Demo::Stop() {
    if (m_signalNotifier) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        m_signalNotifier.reset();
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
    if (m_monitor)
        m_monitor->Stop();
    if (m_calibrator)
        m_calibrator->Stop();
    m_monitor.reset();
    m_calibrator.reset();
}

QString Demo::SettingsPath() const {
    return m_folder ? m_folder->filePath(QStringLiteral("gasquill-demo.ini")) : QString();
}

std::string Demo::ConfigurationPath() const {
    return m_folder ? m_folder->filePath(QStringLiteral("Demo network.cfx")).toStdString()
                    : std::string();
}

std::string Demo::Folder() const {
    return m_folder ? m_folder->path().toStdString() : "";
}

uint16_t Demo::MonitorPort() const {
    return m_monitor ? m_monitor->Port() : 0;
}

uint16_t Demo::CalibratorPort() const {
    return m_calibrator ? m_calibrator->Port() : 0;
}
