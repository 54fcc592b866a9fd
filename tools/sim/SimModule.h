#pragma once
// One protocol area of the simulated instrument (display and keys, variables, security, and
// later DAS and sequences). The instrument offers each command to its modules in turn.

#include "sim/SimCommand.h"
#include "sim/SimReply.h"
#include "sim/SimState.h"

#include <string>

class SimModule {
public:
    explicit SimModule(SimState& state) : m_state(state) {}
    virtual ~SimModule() = default;
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    // Answers the command and returns true when it belongs to this area.
    virtual bool Handle(const SimCommand& command, SimReply& reply) = 0;
    // Offered every received line before it is read as a command: true when the line
    // belongs to this area as it stands (a script being uploaded is not framed).
    virtual bool HandleRaw(const std::string& line, SimReply& reply) {
        (void)line;
        (void)reply;
        return false;
    }
    // Offered every received line before it is read as a command, so that a module can take
    // the unframed lines of an upload. True when the module took the line; reply is sent.
    virtual bool TakeRawLine(const std::string& /*line*/, std::string& /*reply*/) { return false; }

protected:
    SimState& m_state;
};
