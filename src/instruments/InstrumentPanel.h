#pragma once
// What an instrument needs of its front panel: a target for the display-changed (1034) and
// identification (1035) notices, and a way to close it (closing disconnects). The desktop's
// front panel window and the command-line tool each provide one.

#include "base/MessageTarget.h"

class InstrumentPanel : public MessageTarget {
public:
    // Closes the panel as if the user had closed it; the panel then asks for the disconnect.
    virtual void ClosePanel() = 0;
};
