#pragma once
#include <string>

// Shows every byte outside 0x20..0x7E as \xHH (upper-case digits); a hexadecimal digit right
// after such an escape is escaped too, so that it cannot be read as part of the escape.
std::string EscapeText(const std::string& text);
