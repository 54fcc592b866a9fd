#pragma once
// Display and keys: "k disp" answers with the two 40-character display lines; "k" with key
// digits "0".."7" presses those keys, which move through a small menu, and answers with the
// new display.

#include "sim/SimModule.h"

#include <string>

class SimDisplay : public SimModule {
public:
    using SimModule::SimModule;
    bool Handle(const SimCommand& command, SimReply& reply) override;

    // The 80 characters currently shown (two lines of 40).
    std::string Contents() const;
    void PressKey(int key);

private:
    std::string FirstLine() const;
    std::string KeyLine() const;
    void AnswerDisplay(SimReply& reply) const;
};
