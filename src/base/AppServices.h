#pragma once
// What the lower floors need of the application: fresh object IDs, the modified flag, the
// objects of the four lists by ID, the activity log, the window layout slots and the
// connection-state notices. The application object implements it and installs itself while
// it lives; a test installs a small one of its own. With none installed every call is a no-op.

#include "base/Rect.h"

#include <atomic>
#include <cstdint>
#include <string>

class CNamedObject;
class UserPrompt;

enum class ObjectKind { Modem, Site, Instrument, TelephonyDevice };

class AppServices {
public:
    static constexpr int32_t kUnset = -1000000;

    virtual ~AppServices() = default;

    // Random, non-zero and unique over modems, sites and instruments.
    virtual uint32_t NewObjectId() = 0;
    virtual void SetModified(bool modified) = 0;
    // The object of that kind and ID, or nullptr; the caller holds the state lock.
    virtual CNamedObject* FindObject(ObjectKind kind, uint32_t id) = 0;
    virtual void LogMessage(int category, const std::string& text) = 0;
    virtual UserPrompt* GetPrompt() const = 0;
    // Slot rectangles, all kUnset when not remembered.
    virtual Rect GetWindowLayout(int index) const = 0;
    virtual void SetWindowLayout(int index, const Rect& rect) = 0;
    // From any thread, whenever an instrument's connected state changes.
    virtual void NotifyConnectionChanged(uint32_t objectId) = 0;
    virtual void RecomputeAnyInstrumentConnected() = 0;

    static AppServices* Get() { return s_current.load(); }
    // Installs services (nullptr removes them); returns the ones replaced.
    static AppServices* Install(AppServices* services) { return s_current.exchange(services); }

private:
    static std::atomic<AppServices*> s_current;
};

// Writes to the activity log of the installed application, if there is one.
void AppLogMessage(int category, const std::string& text);
// A fresh object ID, or 0 without an application.
uint32_t AppNewObjectId();
// Marks the configuration modified, if there is an application.
void AppSetModified();
