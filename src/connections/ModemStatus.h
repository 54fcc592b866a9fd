#pragma once
// The progress texts both modem transports give the instrument while they dial.

#include <string>

// "Dialing %s..." with the telephone number.
std::string ModemDialingText(const std::string& number);
// "Waiting to connect...%d" with the seconds left.
std::string ModemWaitingText(int secondsLeft);
