#pragma once
// What the application needs of an instrument in its list: whether it is connected, and
// the main window's timers passed on to it. The instrument record implements it.

class AppInstrument {
public:
    virtual ~AppInstrument() = default;
    virtual bool IsConnectedForApp() const = 0;
    virtual void OnAppTimer(unsigned timerId) = 0;
};
