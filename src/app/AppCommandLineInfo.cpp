#include "app/AppCommandLineInfo.h"

void CAppCommandLineInfo::ParseParam(const std::string& param) {
    if (param.empty())
        return;
    if (param[0] == '-' || (param[0] == '/' && param.size() == 2))
        return;
    m_fileName = param;
    m_fileGiven = true;
}

void CAppCommandLineInfo::Parse(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        ParseParam(argv[i]);
}

void CAppCommandLineInfo::Parse(const std::vector<std::string>& params) {
    for (const auto& p : params)
        ParseParam(p);
}
