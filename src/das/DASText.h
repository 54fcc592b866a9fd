#pragma once
// printf-style filling of the program's numbered texts for the DAS code, and the two things
// it tells the application (the activity log and the modified flag).

#include "base/LogCategory.h"

#include <string>

// The text of string number id filled like printf.
std::string FormatText(unsigned id, ...);
std::string FormatPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes a line to the activity log, if the application has one.
void DASLogMessage(int category, const std::string& text);
// Marks the network configuration modified, if there is an application.
void DASSetModified();
