#pragma once
#include <string>
#include <vector>

// The command line: every parameter that is not a flag names the configuration file to open
// (the last one wins); flags ("-x", "--x", "/x") are ignored here.
class CAppCommandLineInfo {
public:
    void ParseParam(const std::string& param);
    void Parse(int argc, const char* const* argv);
    void Parse(const std::vector<std::string>& params);

    bool FileGiven() const { return m_fileGiven; }
    const std::string& FileName() const { return m_fileName; }

private:
    bool m_fileGiven = false;
    std::string m_fileName;
};
