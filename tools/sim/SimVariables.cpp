#include "sim/SimVariables.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return {};
    const size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

bool ParseInt(const std::string& text, long& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0' && out >= -2147483647L - 1 && out <= 2147483647L;
}

} // namespace

void SimVariables::AnswerConfig(SimReply& reply) const {
    const SimConfig& c = m_state.config;
    int index = 0;
    auto item = [&](const std::string& text) {
        reply.Line('V', " CONFIG[" + std::to_string(index++) + "]=" + text);
    };
    item(c.IdentificationText());
    item("Software Revision " + c.softwareRevision);
    item("Library Revision " + c.libraryRevision);
    if (!c.protocolRevision.empty())
        item("Vostra Protocol Rev. " + c.protocolRevision);
    item("Serial Number " + c.serialNumber);
    reply.End();
}

bool SimVariables::Handle(const SimCommand& command, SimReply& reply) {
    if (command.type != "v" && command.type != "V")
        return false;
    const std::string text = Trim(command.text);
    const std::string upper = SimState::Upper(text);
    if (upper == "CONFIG") {
        AnswerConfig(reply);
        return true;
    }
    if (upper == "CURR_DATE") {
        const SimState::Now now = m_state.CurrentTime();
        char buf[32];
        std::snprintf(buf, sizeof buf, " CURR_DATE=%02d/%02d/%04d", now.month, now.day, now.year);
        reply.Line('V', buf);
        reply.End();
        return true;
    }
    const size_t eq = upper.find('=');
    const std::string name = Trim(upper.substr(0, eq));
    auto it = m_state.variables.find(name);
    if (it == m_state.variables.end()) {
        reply.Line('V', " ERROR: NO SUCH VARIABLE " + name);
        reply.End();
        return true;
    }
    if (eq != std::string::npos) {
        long value = 0;
        if (!ParseInt(Trim(text.substr(eq + 1)), value)) {
            reply.Line('V', " ERROR: BAD VALUE FOR " + name);
            reply.End();
            return true;
        }
        const std::string written = std::to_string(value);
        // A new serial-port mode ends the session, as it would on the instrument.
        if (name == SimState::Upper(m_state.config.modeVarName) && it->second != written &&
            m_state.config.password)
            m_state.loggedOn = false;
        it->second = written;
    }
    reply.Line('V', " " + name + "=" + it->second);
    reply.End();
    return true;
}
