#pragma once
// Where posted messages go: the GUI turns them into queued events on a window and drops
// them when the window is gone; tests record them.

#include <cstdint>

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void Post(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
};

// Thread and window messages of the program.
enum : unsigned {
    WM_USER_BASE = 1024,
    MSG_CONNECT = 1025,
    MSG_DISCONNECT = 1026,
    MSG_REFRESH_DISPLAY = 1027,
    MSG_KEY_PRESS = 1028,
    MSG_GET_DAS_CONFIG = 1029,
    MSG_SEND_DAS_CONFIG = 1030,
    MSG_DOWNLOAD_DAS_RECORDS = 1031,
    MSG_GET_SEQUENCES = 1032,
    MSG_SEND_SEQUENCES = 1033,
    MSG_DISPLAY_CHANGED = 1034,
    MSG_IDENTIFIED = 1035,
    MSG_CONNECTION_CHANGED = 1051,
};
