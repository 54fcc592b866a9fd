#pragma once
// The categories of activity log lines, in the order of their names "Misc" to "Error".

enum LogCategory : int {
    LOG_MISC = 0,
    LOG_STATUS = 1,
    LOG_COMMAND = 2,
    LOG_RESPONSE = 3,
    LOG_ERROR = 4,
};
