#pragma once
// Log on and log off: "logon N" with the instrument's password, "logoff".

#include "sim/SimModule.h"

class SimSecurity : public SimModule {
public:
    using SimModule::SimModule;
    bool Handle(const SimCommand& command, SimReply& reply) override;
};
