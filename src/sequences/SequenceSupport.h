#pragma once
// Installed once at start-up: makes the sequence and step classes known to the archive and
// gives the site worker the fetch and send transfers. Also the two things the sequence code
// asks of the application (through AppServices): marking the configuration modified and
// reporting an error (activity log and an "Error" box).

#include <string>

class CSequenceSupport {
public:
    static void Install();
    // The archive classes alone (for readers that need nothing else).
    static void RegisterClasses();

    static void MarkModified();
    // In the log (error category) and in an "Error" box; call it on the user's thread.
    static void ReportError(const std::string& text);
};
