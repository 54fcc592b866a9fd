#pragma once
// printf-style filling of the program's numbered texts for the DAS code, and the hooks the
// DAS code reaches the application through (the activity log and the modified flag).

#include <functional>
#include <string>

// The text of string number id filled like printf.
std::string FormatText(unsigned id, ...);
std::string FormatPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Log categories of the activity log.
enum : int { DAS_LOG_COMMAND = 2, DAS_LOG_RESPONSE = 3, DAS_LOG_ERROR = 4 };

// The application installs these at start-up (the log and the modified flag live above the
// DAS floor); without them the calls below do nothing.
using DASLogHook = std::function<void(int category, const std::string& text)>;
using DASModifiedHook = std::function<void()>;
void SetDASHooks(DASLogHook log, DASModifiedHook modified);

// Writes a line to the activity log, if the application has one.
void DASLogMessage(int category, const std::string& text);
// Marks the network configuration modified, if there is an application.
void DASSetModified();
