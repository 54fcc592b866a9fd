#pragma once
// The network configuration file: modem definitions, sites and instruments, in the standard
// (binary archive, ".cfg") or the text (keyword lines) form, chosen by the file name.

#include <cstdint>
#include <string>
#include <vector>

class CVANTIQApp;
class CNamedObjectList;

class CNetworkConfiguration {
public:
    static constexpr uint32_t kMagic = 0xA554D0B4;
    static constexpr uint32_t kVersion = 20;

    // True when the path's last four characters are ".cfg", ignoring case.
    static bool IsStandardForm(const std::string& path);

    // Loads the configuration from path, or saves it there. Sets "named" and clears
    // "modified" on success; shows and logs the file errors when reportErrors is set.
    static bool LoadSave(CVANTIQApp& app, const std::string& path, bool save, bool reportErrors);

    // The standard form in memory. Load replaces the application's lists only when the whole
    // file was read; a damaged file leaves the configuration as it was.
    static std::vector<uint8_t> SaveStandard(CVANTIQApp& app);
    static bool LoadStandard(CVANTIQApp& app, const std::vector<uint8_t>& bytes);

    // Writes data to path through a temporary file in the same folder that is renamed over
    // the old file, so that a failed save leaves the old file as it was.
    static bool WriteFileAtomically(const std::string& path, const std::string& data);

    // The text form through files: a refused or failed save and a syntax error are
    // reported (when reportErrors is set) and leave the file and the configuration as they
    // were.
    static bool SaveText(CVANTIQApp& app, const std::string& path, bool reportErrors);
    static bool LoadText(CVANTIQApp& app, const std::string& path, bool reportErrors);

    // Makes the archived classes of the three lists and of the transports known to the
    // archive reader. Safe to call more than once.
    static void RegisterClasses();

    // Registers the classes and installs LoadSave as the application's configuration loader.
    static void Install(CVANTIQApp& app);
};
