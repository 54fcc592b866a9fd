#pragma once
// The program's numbered texts (captions, messages, formats), looked up by number.

#include <string>

// The text of string number id; an empty string for a number that has no text.
const std::string& LoadString(unsigned id);

// Common numbers, named where the code uses them often.
enum : unsigned {
    IDS_BASE_TITLE = 103,
    IDS_ERROR = 61207,
    IDS_CONFIRM = 61214,
    IDS_LOCAL_SITE = 61229,
    IDS_LOCAL_INSTRUMENT = 61230,
    IDS_FORCE_EXIT = 61233,
    IDS_CONFIG_FILTER = 61234,
    IDS_CONFIG_EXTENSION = 61235,
    IDS_SAVE_CONFIG_PROMPT = 61251,
    IDS_MODIFIED = 61253,
    IDS_UNTITLED = 61254,
    IDS_COPY_OF = 61259,
    IDS_LOG_OPEN_FAILED = 61282,
    IDS_WARNING = 61284,
};
