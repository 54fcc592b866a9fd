#include "sim/SimDisplay.h"

#include <cstdio>

namespace {

enum Screen { SAMPLE, CAL, SETUP, CFG, CLK, DAS, SCREEN_COUNT };

// Where each key leads from each screen; -1 leaves the screen as it is, -2 and -3 step the
// item shown on that screen back and forward.
constexpr int STAY = -1, PREV = -2, NEXT = -3;

struct ScreenDef {
    const char* labels[8];
    int targets[8];
};

constexpr ScreenDef kScreens[SCREEN_COUNT] = {
    /* SAMPLE */ {{"<TST", "TST>", "CAL", "", "", "", "", "SETUP"},
                  {PREV, NEXT, CAL, STAY, STAY, STAY, STAY, SETUP}},
    /* CAL */
    {{"<TST", "TST>", "ZERO", "SPAN", "", "", "", "EXIT"},
     {PREV, NEXT, STAY, STAY, STAY, STAY, STAY, SAMPLE}},
    /* SETUP */
    {{"CFG", "DAS", "RNGE", "PASS", "CLK", "", "", "EXIT"},
     {CFG, DAS, STAY, STAY, CLK, STAY, STAY, SAMPLE}},
    /* CFG */
    {{"PREV", "NEXT", "", "", "", "", "", "EXIT"},
     {PREV, NEXT, STAY, STAY, STAY, STAY, STAY, SETUP}},
    /* CLK */
    {{"", "", "", "", "", "", "", "EXIT"}, {STAY, STAY, STAY, STAY, STAY, STAY, STAY, SETUP}},
    /* DAS */
    {{"VIEW", "EDIT", "", "", "", "", "", "EXIT"},
     {STAY, STAY, STAY, STAY, STAY, STAY, STAY, SETUP}},
};

const char* const kTestValues[] = {"RANGE=500.0 PPB", "STABIL=0.2 PPB", "SAMP=501 CC/M",
                                   "PMT=812.4 MV", "BOX TEMP=31.2 C"};
constexpr int kTestCount = sizeof kTestValues / sizeof kTestValues[0];

const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::string Fit(const std::string& left, const std::string& right) {
    std::string line = left;
    if (line.size() + right.size() < 40)
        line.append(40 - line.size() - right.size(), ' ');
    else
        line += ' ';
    line += right;
    line.resize(40, ' ');
    return line;
}

int Wrap(int value, int count) {
    return ((value % count) + count) % count;
}

} // namespace

std::string SimDisplay::FirstLine() const {
    const SimConfig& c = m_state.config;
    switch (m_state.screen) {
    case SAMPLE:
        return Fit("SAMPLE", kTestValues[Wrap(m_state.screenItem, kTestCount)]);
    case CAL:
        return Fit("M-P CAL", kTestValues[Wrap(m_state.screenItem, kTestCount)]);
    case SETUP:
        return Fit("SETUP " + c.softwareRevision, "PRIMARY SETUP MENU");
    case CFG: {
        const std::string items[] = {c.IdentificationText(), "SERIAL NUMBER " + c.serialNumber,
                                     "SOFTWARE REVISION " + c.softwareRevision,
                                     "LIBRARY REVISION " + c.libraryRevision};
        return Fit(items[Wrap(m_state.screenItem, 4)], "");
    }
    case CLK: {
        const SimState::Now now = m_state.CurrentTime();
        char buf[40];
        std::snprintf(buf, sizeof buf, "%02d:%02d  %02d-%s-%02d", now.hour, now.minute, now.day,
                      kMonths[(now.month - 1) % 12], now.year % 100);
        return Fit("TIME-OF-DAY CLOCK", buf);
    }
    default:
        return Fit("SETUP " + c.softwareRevision, "DATA ACQUISITION");
    }
}

std::string SimDisplay::KeyLine() const {
    std::string line;
    for (const char* label : kScreens[m_state.screen].labels) {
        std::string slot = label;
        slot.resize(5, ' ');
        line += slot;
    }
    return line;
}

std::string SimDisplay::Contents() const {
    return FirstLine() + KeyLine();
}

void SimDisplay::PressKey(int key) {
    if (key < 0 || key > 7)
        return;
    const int target = kScreens[m_state.screen].targets[key];
    if (target == PREV)
        --m_state.screenItem;
    else if (target == NEXT)
        ++m_state.screenItem;
    else if (target >= 0) {
        m_state.screen = target;
        m_state.screenItem = 0;
    }
}

void SimDisplay::AnswerDisplay(SimReply& reply) const {
    const std::string text = Contents();
    // Each display line follows the header as a blank, the row digit and 40 characters.
    if (m_state.faultActive && m_state.config.fault == SimFault::OddDisplay) {
        reply.Line('K', " 0" + text.substr(0, 39));
        reply.Line('K', " 1" + text.substr(40, 40) + "*");
    }
    reply.Line('K', " 0" + text.substr(0, 40));
    reply.Line('K', " 1" + text.substr(40, 40));
    reply.End();
}

bool SimDisplay::Handle(const SimCommand& command, SimReply& reply) {
    if (command.type != "k" && command.type != "K")
        return false;
    if (SimState::Upper(command.text) != "DISP") {
        for (char c : command.text)
            if (c >= '0' && c <= '7')
                PressKey(c - '0');
    }
    AnswerDisplay(reply);
    return true;
}
