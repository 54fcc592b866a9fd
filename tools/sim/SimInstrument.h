#pragma once
// The simulated instrument's protocol engine: takes the bytes received on its serial port,
// cuts them into lines, answers each command through its modules, and applies the
// configured fault. It knows nothing of the link; SimServer carries the bytes.

#include "sim/SimConfig.h"
#include "sim/SimModule.h"
#include "sim/SimState.h"

#include <memory>
#include <string>
#include <vector>

class SimInstrument {
public:
    explicit SimInstrument(const SimConfig& config);

    struct Output {
        std::string reply;  // bytes to send back
        bool close = false; // the link is to be closed after sending them
        // The rest of the reply, sent after the bytes; lines received after the command
        // that started it wait until it is done (Receive with no bytes goes on with them).
        std::shared_ptr<SimStream> stream;
    };
    Output Receive(const std::string& bytes);
    // The whole reply of an output, its stream drained (for tests).
    static std::string Drain(Output& out);

    // A new link: a partial line is dropped, the session and the fault count start again.
    void NewConnection();

    const SimState& State() const { return m_state; }
    SimState& State() { return m_state; }
    // Display contents as the display module draws them (for tests and the demo).
    std::string DisplayContents() const;

    // Adds a module that is offered every command before the built-in ones.
    void AddModule(std::unique_ptr<SimModule> module);

    static std::string JunkLine();

private:
    std::string HandleLine(const std::string& line, bool& close);
    std::string Answer(const SimCommand& command);
    // Whether the fault applies to the line being answered, the lines-th received.
    bool FaultStarts(unsigned lines);

    SimState m_state;
    std::vector<std::unique_ptr<SimModule>> m_modules;
    class SimDisplay* m_display = nullptr;
    std::string m_partial;
    unsigned m_commandLines = 0;
    std::string m_unanswered; // the SecondTry fault's last ignored line
    bool m_closed = false;
    std::shared_ptr<SimStream> m_stream; // set by the reply being answered
};
