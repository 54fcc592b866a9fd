#include "base/AppServices.h"

std::atomic<AppServices*> AppServices::s_current{nullptr};

void AppLogMessage(int category, const std::string& text) {
    if (AppServices* app = AppServices::Get())
        app->LogMessage(category, text);
}

uint32_t AppNewObjectId() {
    AppServices* app = AppServices::Get();
    return app ? app->NewObjectId() : 0;
}

void AppSetModified() {
    if (AppServices* app = AppServices::Get())
        app->SetModified(true);
}
