#include "sim/SimInstrument.h"

#include "sim/SimDas.h"
#include "sim/SimDisplay.h"
#include "sim/SimSecurity.h"
#include "sim/SimSequences.h"
#include "sim/SimVariables.h"

SimInstrument::SimInstrument(const SimConfig& config) : m_state(config) {
    m_modules.push_back(std::make_unique<SimSecurity>(m_state));
    m_modules.push_back(std::make_unique<SimVariables>(m_state));
    m_modules.push_back(std::make_unique<SimDas>(m_state));
    auto display = std::make_unique<SimDisplay>(m_state);
    m_display = display.get();
    m_modules.push_back(std::move(display));
    if (config.type == "Calibrator")
        m_modules.push_back(std::make_unique<SimSequences>(m_state));
}

void SimInstrument::AddModule(std::unique_ptr<SimModule> module) {
    m_modules.insert(m_modules.begin(), std::move(module));
}

std::string SimInstrument::DisplayContents() const {
    return m_display->Contents();
}

void SimInstrument::NewConnection() {
    m_partial.clear();
    m_commandLines = 0;
    m_unanswered.clear();
    m_closed = false;
    m_stream.reset();
    m_state.loggedOn = false;
    m_state.faultActive = false;
}

std::string SimInstrument::JunkLine() {
    static const char junk[] = "\xFF\xFE\x00K 1:2:\x01 ?? V=\"open \x1B[2J L 999:99:99 x\x80\xFD";
    return std::string(junk, sizeof junk - 1) + "\r\n";
}

SimInstrument::Output SimInstrument::Receive(const std::string& bytes) {
    Output out;
    if (m_closed)
        return out;
    m_partial += bytes;
    size_t lf;
    while (!m_closed && (lf = m_partial.find('\n')) != std::string::npos) {
        const std::string line = m_partial.substr(0, lf + 1);
        m_partial.erase(0, lf + 1);
        bool close = false;
        out.reply += HandleLine(line, close);
        if (close) {
            out.close = true;
            m_closed = true;
        }
        if (m_stream) {
            out.stream = std::move(m_stream);
            break;
        }
    }
    return out;
}

std::string SimInstrument::Drain(Output& out) {
    std::string bytes = out.reply;
    if (out.stream)
        while (out.stream->Next(bytes)) {
        }
    return bytes;
}

bool SimInstrument::FaultStarts(unsigned lines) {
    const SimConfig& c = m_state.config;
    m_state.faultActive = c.fault != SimFault::None && lines > c.faultAfter;
    return m_state.faultActive;
}

std::string SimInstrument::HandleLine(const std::string& line, bool& close) {
    const SimConfig& c = m_state.config;
    {
        // An unframed line may belong to a module as it stands (a script upload).
        FaultStarts(m_commandLines + 1);
        SimReply raw(m_state);
        for (auto& module : m_modules)
            if (module->HandleRaw(line, raw))
                return raw.Bytes();
    }
    {
        std::string taken;
        for (auto& module : m_modules)
            if (module->TakeRawLine(line, taken))
                return taken;
    }
    const auto command = SimCommand::Parse(line);
    if (!command)
        return {};
    ++m_commandLines;
    if (FaultStarts(m_commandLines)) {
        switch (c.fault) {
        case SimFault::CloseAfter:
            close = true;
            return {};
        case SimFault::Silent:
            return {};
        case SimFault::Noise:
            return JunkLine() + JunkLine();
        case SimFault::SecondTry:
            if (line != m_unanswered) {
                m_unanswered = line;
                return {};
            }
            m_unanswered.clear();
            break;
        default:
            break;
        }
    }
    std::string reply = Answer(*command);
    if (c.fault == SimFault::CloseAfter && c.faultAfter > 0 && m_commandLines == c.faultAfter)
        close = true;
    if (!m_state.faultActive || reply.empty())
        return reply;
    switch (c.fault) {
    case SimFault::Garbage:
        return JunkLine() + reply;
    case SimFault::Truncate: {
        const size_t firstEnd = reply.find('\n');
        return reply.substr(0, (firstEnd == std::string::npos ? reply.size() : firstEnd) / 2);
    }
    case SimFault::BlankFirst:
        return "\r\n" + reply;
    default:
        return reply;
    }
}

std::string SimInstrument::Answer(const SimCommand& received) {
    SimReply reply(m_state);
    const SimConfig& c = m_state.config;
    if (received.id && *received.id != c.instrumentId)
        return {}; // addressed to another instrument on the same line
    SimCommand command = received;
    if (command.type == "/") {
        if (!c.slashKeyboard) {
            reply.Plain("UNKNOWN COMMAND: /");
            reply.End();
            return reply.Bytes();
        }
        command = SimCommand::Inner(received.text);
    }
    const std::string type = SimState::Upper(command.type);
    if (c.password && !m_state.loggedOn && type != "LOGON" && type != "LOGOFF") {
        reply.Line('L', " MUST LOG ON");
        reply.End();
        return reply.Bytes();
    }
    for (auto& module : m_modules)
        if (module->Handle(command, reply)) {
            m_stream = reply.TakeStream();
            return reply.Bytes();
        }
    reply.Plain("UNKNOWN COMMAND: " + command.type);
    reply.End();
    return reply.Bytes();
}
