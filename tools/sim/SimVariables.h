#pragma once
// Variables: "v NAME" reads one, "v NAME=VALUE" writes an integer one, "v config" lists the
// identification and revisions, "v curr_date" gives the date.

#include "sim/SimModule.h"

class SimVariables : public SimModule {
public:
    using SimModule::SimModule;
    bool Handle(const SimCommand& command, SimReply& reply) override;

private:
    void AnswerConfig(SimReply& reply) const;
};
