// gasquill: the desktop program.
#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/QtSettingsStore.h"
#include "app/gui/QtUserPrompt.h"
#include "connections/NetworkConfiguration.h"
#include "connections/TAPIStartup.h"
#include "support/TextSupport.h"

#include <QApplication>
#include <vector>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brenmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("gasquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GASQUILL_VERSION));

    QtSettingsStore settings;
    QtUserPrompt prompt;
    CVANTIQApp app(settings, &prompt);
    GuiAppShell shell(app);
    app.SetShell(&shell);
    InstallTextSupport(app);
    CNetworkConfiguration::Install(app);
    InstallTelephony(app);

    std::vector<const char*> args(argv, argv + argc);
    if (!app.InitInstance(static_cast<int>(args.size()), args.data()))
        return 1;
    prompt.SetOwner(nullptr);
    const int rc = QApplication::exec();
    app.ExitInstance();
    return rc;
}
