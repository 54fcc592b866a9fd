#include "app/DASSupport.h"

#include "app/VANTIQApp.h"
#include "das/DASExchange.h"
#include "das/DASText.h"

void InstallDASSupport(CVANTIQApp& app) {
    InstallDAS();
    SetDASHooks([](int category, const std::string& text) { AppLogMessage(category, text); },
                [&app] { app.SetModified(true); });
}
