#pragma once
// One command line as the instrument reads it: the byte 0x03, the command type, an optional
// instrument ID and the text, e.g. "\x03k 200 disp\r\n" or "\x03logoff \r\n".

#include <optional>
#include <string>

struct SimCommand {
    std::string type;      // "k", "v", "/", "logon", ...
    std::optional<int> id; // the ID number when the line carries one
    std::string text;      // everything after the type and the ID

    // Reads a received line (its CR LF may be present). Bytes before the last 0x03 (a select
    // code, a repeated wake-up byte) are not part of the command. Nullopt for a line that
    // holds no command (empty or blank).
    static std::optional<SimCommand> Parse(const std::string& line);
    // The command inside a slash-form text "k disp" (no ID there).
    static SimCommand Inner(const std::string& text);
};
