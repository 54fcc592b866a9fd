#pragma once
// The --select value of "das download": which records to fetch, in the terms of the DAS
// window's record selection (type 0 all ... 7 between two times).

#include <cstdint>
#include <string>

struct CliSelection {
    enum Type : int {
        All = 0,
        SinceLast = 1,
        Records = 2,
        Hours = 3,
        Days = 4,
        Weeks = 5,
        Months = 6,
        Between = 7
    };
    int type = All;
    int count = 1;     // records, hours, days, weeks or months, by type
    int64_t start = 0; // between: seconds since 1970-01-01 00:00 UTC
    int64_t end = 0;
};

// Reads all | since-last | records=N | hours=N | days=N | weeks=N | months=N |
// between=YYYY-MM-DDTHH:MM[:SS],YYYY-MM-DDTHH:MM[:SS]. False with the reason in error; a
// between year the instrument cannot hold gives the program's own text for it.
bool ParseCliSelection(const std::string& text, CliSelection& selection, std::string& error);
