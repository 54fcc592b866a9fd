#include "connections/ModemStatus.h"

#include "base/Strings.h"

namespace {

enum : unsigned { IDS_DIALING = 61226, IDS_WAITING_TO_CONNECT = 61227 };

// Puts value where the format's first conversion of the given kind stands.
std::string Substitute(const std::string& format, const char* conversion,
                       const std::string& value) {
    const size_t at = format.find(conversion);
    if (at == std::string::npos)
        return format;
    return format.substr(0, at) + value + format.substr(at + 2);
}

} // namespace

std::string ModemDialingText(const std::string& number) {
    return Substitute(LoadString(IDS_DIALING), "%s", number);
}

std::string ModemWaitingText(int secondsLeft) {
    return Substitute(LoadString(IDS_WAITING_TO_CONNECT), "%d", std::to_string(secondsLeft));
}
