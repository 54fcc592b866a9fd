// gasquill: the desktop program.
#include "app/NetworkConfiguration.h"
#include "app/TAPIStartup.h"
#include "app/TextSupportHooks.h"
#include "app/VANTIQApp.h"
#include "app/gui/DASWindowsSetup.h"
#include "app/gui/Demo.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/QtSettingsStore.h"
#include "app/gui/QtUserPrompt.h"
#include "app/gui/ToolIcons.h"
#include "connections/gui/ConnectionDialogs.h"
#include "das/DASExchange.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstPropertySheet.h"
#include "sequences/SequenceSupport.h"
#include "sequences/gui/SequenceWindowHooks.h"
#include "support/TextSupport.h"

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brenmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("gasquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GASQUILL_VERSION));
    QApplication::setWindowIcon(MakeAppIcon());

    // --demo: simulated instruments and a settings profile of the demo's own (Demo.h).
    std::unique_ptr<Demo> demo;
    std::string demoError;
    if (Demo::Requested(argc, argv)) {
        demo = std::make_unique<Demo>();
        if (!demo->Start(demoError)) {
            std::fprintf(stderr, "gasquill: %s\n", demoError.c_str());
            return 1;
        }
    }
    auto settingsStore = demo ? std::make_unique<QtSettingsStore>(demo->SettingsPath())
                              : std::make_unique<QtSettingsStore>();
    QtSettingsStore& settings = *settingsStore;
    QtUserPrompt prompt;
    CVANTIQApp app(settings, &prompt);
    GuiAppShell shell(app);
    app.SetShell(&shell);
    InstallTextSupport(app);
    CNetworkConfiguration::Install(app);
    InstallDAS();
    CSequenceSupport::Install();
    InstallConnectionDialogs();
    InstallInstrumentPropertySheet();
    InstallTelephony(app);
    CFrontPanelDialog::Install(app);
    InstallDASWindows(app);
    InstallSequenceWindow();

    std::vector<const char*> args(argv, argv + argc);
    std::vector<std::string> demoArgs;
    if (demo) {
        if (!demo->WriteConfiguration(app, demoError)) {
            std::fprintf(stderr, "gasquill: %s\n", demoError.c_str());
            return 1;
        }
        demoArgs = demo->Arguments(argc, argv);
        args.clear();
        for (const std::string& a : demoArgs)
            args.push_back(a.c_str());
    }
    if (!app.InitInstance(static_cast<int>(args.size()), args.data()))
        return 1;
    const int rc = QApplication::exec();
    app.ExitInstance();
    return rc;
}
