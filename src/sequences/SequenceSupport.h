#pragma once
// What the sequence code needs of the program around it, installed once at start-up: how to
// mark the configuration modified and how to report an error (activity log and an "Error"
// box). Installing also makes the sequence and step classes known to the archive and gives
// the site worker the fetch and send transfers.

#include <functional>
#include <string>

class CSequenceSupport {
public:
    struct Hooks {
        std::function<void()> markModified;
        std::function<void(const std::string&)> reportError;
    };
    static void Install(Hooks hooks);
    // The archive classes alone (for readers that need nothing else).
    static void RegisterClasses();

    static void MarkModified();
    static void ReportError(const std::string& text);
};
