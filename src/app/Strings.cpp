#include "app/Strings.h"

#include <unordered_map>

namespace {
const std::unordered_map<unsigned, std::string>& Table() {
    static const std::unordered_map<unsigned, std::string> table = {
        {103, "gasquill Graphical Interface"},
        {61206, "Unable to save network configuration file %s."},
        {61207, "Error"},
        {61209, "Connecting to %s..."},
        {61210, "Setting instrument mode..."},
        {61212, " (Connected)"},
        {61214, "Confirm"},
        {61226, "Dialing %s..."},
        {61227, "Waiting to connect...%d"},
        {61228, "Unable to connect to site %s."},
        {61229, "Local Site"},
        {61230, "Local Instrument"},
        {61231, "Are you sure you want to disconnect?"},
        {61232, " (In use)"},
        {61233, "You should close all front panel windows and wait for connections to close "
                "before exiting the application. If there is a problem, however, and you want "
                "to force the application to exit, then press \"Yes.\" Otherwise, press \"No.\""},
        {61234, "Standard network configuration Files (*.cfg)|*.cfg|Text network configuration "
                "Files (*.cfx)|*.cfx|All Files (*.*)|*.*||"},
        {61235, ".cfg"},
        {61245, "%s at %s"},
        {61247, "Cannot disconnect right now. Wait a few seconds and try again."},
        {61248, "Unable to connect to %s because the site is invalid."},
        {61249, "Logging on to instrument..."},
        {61250, "Unable to log on to instrument."},
        {61251, "Network configuration has been modified. Save configuration?"},
        {61252, "Unable to load network configuration file %s."},
        {61253, " (Modified)"},
        {61254, "Untitled"},
        {61258, "<end of file>"},
        {61259, "Copy of "},
        {61282, "Unable to open file %s for writing. May be read-only."},
        {61284, "Warning"},
        {61289, "Calibrator"},
        {61290, "Monitor"},
        {61291, "Yes"},
        {61292, "No"},
        {61317, "000000"},
        {61319, "gasquill is unable to launch your default browser and/or use your default "
                "Internet connection."},
        {61323, "gasquill failed to open the user's manual, the file may be missing or Acrobat "
                "Reader is not installed on your system.  Acrobat Reader is required to view the "
                "gasquill user's manual.  This viewer can be downloaded free of charge from "},
        {61324, "gasquill failed to open the helpfile from the following path, "},
    };
    return table;
}
} // namespace

const std::string& LoadString(unsigned id) {
    static const std::string empty;
    auto it = Table().find(id);
    return it == Table().end() ? empty : it->second;
}
