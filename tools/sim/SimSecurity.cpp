#include "sim/SimSecurity.h"

bool SimSecurity::Handle(const SimCommand& command, SimReply& reply) {
    const std::string type = SimState::Upper(command.type);
    if (type == "LOGON") {
        std::string text = command.text;
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        const bool ok =
            !m_state.config.password || text == std::to_string(*m_state.config.password);
        if (ok)
            m_state.loggedOn = true;
        reply.Line('L', ok ? " LOG ON SUCCESSFUL" : " LOG ON FAILED");
        reply.End();
        return true;
    }
    if (type == "LOGOFF") {
        reply.Line('L', m_state.loggedOn ? " LOG OFF SUCCESSFUL" : " MUST LOG ON");
        m_state.loggedOn = false;
        reply.End();
        return true;
    }
    return false;
}
