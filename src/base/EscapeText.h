#pragma once
#include <string>

// Shows every byte outside 0x20..0x7E as \xHH (upper-case digits); a hexadecimal digit right
// after such an escape is escaped too, so that it cannot be read as part of the escape.
// A backslash is written as \\ so that UnescapeText reads every result back unchanged.
std::string EscapeText(const std::string& text);

// Turns typed text into bytes: \" \' \? \\ give the character; \a \b \f \n \r \t \v the
// control codes; \x and every hexadecimal digit after it one byte (the low 8 bits), \x with
// no digit the letter x; one to three octal digits their byte; any other escaped character
// itself. A backslash at the very end is kept.
std::string UnescapeText(const std::string& text);
