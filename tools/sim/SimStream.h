#pragma once
// A long reply produced piece by piece as the link takes it (a DAS record report can hold
// a million lines), so that nothing of it is kept beyond the piece being sent.

#include <string>

class SimStream {
public:
    virtual ~SimStream() = default;
    // Appends the next piece to out; false once the reply is complete (out may still have
    // received a last piece).
    virtual bool Next(std::string& out) = 0;
    // The link is to be closed once the reply has been sent.
    virtual bool CloseAtEnd() const { return false; }
};
