#include "sim/SimCommand.h"

#include <cctype>

namespace {

std::string StripLineEnd(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    return s;
}

bool AllDigits(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

std::optional<SimCommand> SimCommand::Parse(const std::string& received) {
    std::string line = StripLineEnd(received);
    const size_t etx = line.rfind('\x03');
    if (etx != std::string::npos)
        line.erase(0, etx + 1);
    size_t start = 0;
    while (start < line.size() && line[start] == ' ')
        ++start;
    if (start == line.size())
        return std::nullopt;
    SimCommand cmd;
    const size_t typeEnd = line.find(' ', start);
    cmd.type =
        line.substr(start, typeEnd == std::string::npos ? std::string::npos : typeEnd - start);
    if (typeEnd == std::string::npos)
        return cmd;
    std::string rest = line.substr(typeEnd + 1);
    // An ID is a number followed by the separating blank; "k 2" alone is the key text.
    const size_t blank = rest.find(' ');
    if (blank != std::string::npos && AllDigits(rest.substr(0, blank)) && blank <= 4) {
        cmd.id = std::stoi(rest.substr(0, blank));
        rest.erase(0, blank + 1);
    }
    cmd.text = rest;
    return cmd;
}

SimCommand SimCommand::Inner(const std::string& text) {
    SimCommand cmd;
    const size_t blank = text.find(' ');
    cmd.type = text.substr(0, blank);
    if (blank != std::string::npos)
        cmd.text = text.substr(blank + 1);
    return cmd;
}
