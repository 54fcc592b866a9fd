#include "base/Strings.h"

#include <unordered_map>

namespace {
const std::unordered_map<unsigned, std::string>& Table() {
    static const std::unordered_map<unsigned, std::string> table = {
        {103, "gasquill Graphical Interface"},
        {32774, "Edits list of instruments\nEdit Instruments"},
        {32777, "Connects to an instrument\nConnect (Ctrl+C)"},
        {32804, "Changes program options\nChange Options"},
        {57345, "For Help, press F1"},
        {61206, "Unable to save network configuration file %s."},
        {61207, "Error"},
        {61209, "Connecting to %s..."},
        {61210, "Setting instrument mode..."},
        {61211, "Unable to save DAS configuration file %s."},
        {61212, " (Connected)"},
        {61213, "Delete \"%s\"?"},
        {61214, "Confirm"},
        {61216, "Downloading DAS configuration..."},
        {61217, "Downloading data for %s..."},
        {61218, "%s - %s - %s"},
        {61219, "Data Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
        {61220, "Saving data to %s..."},
        {61221, "Error writing file %s."},
        {61222, "DAS Script Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
        {61223, "Log Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
        {61224, ".txt"},
        {61225, ".txt"},
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
        {61236, ".txt"},
        {61237, "Sequence Configuration Script Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
        {61238, "Syntax error encountered at '%s', on line %d of network configuration file %s. "
                "File not opened."},
        {61239, ".txt"},
        {61240, "Success"},
        {61241, "Unable to save sequence configuration file %s."},
        {61242, "%s at %s"},
        {61243, "Downloading sequence configuration..."},
        {61244, "%s at %s"},
        {61245, "%s at %s"},
        {61247, "Cannot disconnect right now. Wait a few seconds and try again."},
        {61248, "Unable to connect to %s because the site is invalid."},
        {61249, "Logging on to instrument..."},
        {61250, "Unable to log on to instrument."},
        {61251, "Network configuration has been modified. Save configuration?"},
        {61252, "Unable to load network configuration file %s."},
        {61253, " (Modified)"},
        {61254, "Untitled"},
        {61255,
         "Sending the DAS configuration to the instrument will replace its existing configuration "
         "and discard all of its stored data. To modify the DAS without losing the data, use the "
         "instrument's menus. \n\nAre you sure you want to do this?"},
        {61256, "Syntax error encountered at '%s', on line %d of DAS configuration script file %s. "
                "File not loaded."},
        {61257, "Unable to load DAS configuration script file %s."},
        {61258, "<end of file>"},
        {61259, "Copy of "},
        {61260, "DAS configuration successfully sent to instrument."},
        {61261, "Error occurred while sending DAS configuration to instrument. Instrument's DAS "
                "configuration not modified."},
        {61262, "Sending DAS configuration to instrument..."},
        {61264, "Both the sample and report periods must be greater than zero. Ensure that for "
                "each period, either the days, hours, or minutes is greater than zero."},
        {61265, "Please enter a valid name for this channel. Channel names must be unique and may "
                "contain only alphabetic characters, digits, and the '_' character."},
        {61266, "Please enter a name for the log file."},
        {61267, "Please supply a string for every command and response."},
        {61268, "&Download, graph, save data..."},
        {61269, "&Configure sequences..."},
        {61270, "This operation will discard the existing sequence configuration. It will not "
                "modify the sequence configuration in the instrument itself.\n\nProceed?"},
        {61271, "%s at %s"},
        {61272, "Please enter a valid name for this sequence. Sequence names must be unique and "
                "may contain only alphabetic characters, digits, and the '_' character."},
        {61273, "The timer period must be greater than zero. Ensure that either the days, hours, "
                "or minutes is greater than zero."},
        {61274, "GPT"},
        {61275, "GPT Preset"},
        {61276, "Syntax error encountered at '%s', on line %d of sequence configuration script "
                "file %s. File not loaded."},
        {61277, "Unable to load sequence configuration script file %s."},
        {61278, "Sending the sequence configuration to the instrument will completely replace its "
                "existing configuration. \n\nAre you sure you want to do this?"},
        {61279, "Sending sequence configuration to instrument..."},
        {61280, "Sequence configuration successfully sent to instrument."},
        {61281, "Error occurred while sending sequence configuration to instrument. Instrument's "
                "sequence configuration not modified."},
        {61282, "Unable to open file %s for writing. May be read-only."},
        {61283, "Options"},
        {61284, "Warning"},
        {61285, "Generate Level"},
        {61286, "Set Status Blocks"},
        {61287, "The sequence configuration has been modified, but has not been sent to the "
                "instrument.\n\nExit sequence configuration?"},
        {61288, "&Instrument information..."},
        {61289, "Calibrator"},
        {61290, "Monitor"},
        {61291, "Yes"},
        {61292, "No"},
        {61293,
         "Ending date/time is before starting date/time. Download using these dates/times anyway?"},
        {61294, "Starting year of %d is not supported by the instrument. Please make sure the year "
                "is between %d and %d."},
        {61295, "Ending year of %d is not supported by the instrument. Please make sure the year "
                "is between %d and %d."},
        {61296, "%s, %s, Set %ld, %d Records"},
        {61297, "%s, %s, %d Records Maximum"},
        {61298, "Date"},
        {61299, "Samples"},
        {61300, "%s-%s DAS Configuration%s"},
        {61301, "%s-%s Sequence Configuration%s"},
        {61302, "The DAS configuration has been modified, but has not been sent to the "
                "instrument.\n\nExit DAS configuration?"},
        {61303, "This operation will discard the existing DAS configuration. It will not modify "
                "the DAS configuration in the instrument itself.\n\nProceed?"},
        {61304, "%s already exists."},
        {61305, "&Download, graph, save data..."},
        {61306, "C&onfigure sequences..."},
        {61307, "Instrument Properties"},
        {61308, "&DAS Configuration..."},
        {61309, "Se&quence Configuration..."},
        {61310, "DAS Channel Properties"},
        {61311, "The download period must be greater than zero. Ensure that either the days, "
                "hours, or minutes is greater than zero."},
        {61312, "No download file name specified. Do you want to specify one?"},
        {61313, "Unknown"},
        {61314, "%s-%s-%s-Auto%s"},
        {61317, "000000"},
        {61318, "%s"},
        {61319, "gasquill is unable to launch your default browser and/or use your default "
                "Internet connection."},
        {61320, "Select Output"},
        {61321, "Set CC Outputs"},
        {61322, "Time"},
        {61323, "gasquill failed to open the user's manual, the file may be missing or Acrobat "
                "Reader is not installed on your system.  Acrobat Reader is required to view the "
                "gasquill user's manual.  This viewer can be downloaded free of charge from "},
        {61324, "gasquill failed to open the helpfile from the following path, "},
        {61712, "Please enter an integer."},
        {61714, "Please enter an integer between %1 and %2."},
    };
    return table;
}
} // namespace

const std::string& LoadString(unsigned id) {
    static const std::string empty;
    auto it = Table().find(id);
    return it == Table().end() ? empty : it->second;
}
