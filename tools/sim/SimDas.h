#pragma once
// The DAS area: the "d" commands (records, event, parameter, print script &, print,
// report) and the upload of a configuration script, which arrives as plain lines from
// "dasbegin" to "dasend" and is answered with "New DAS configuration stored.". What the
// instrument offers follows its library revision, as on the real instruments.

#include "sim/SimModule.h"

#include <string>
#include <vector>

class SimDas : public SimModule {
public:
    explicit SimDas(SimState& state);
    bool Handle(const SimCommand& command, SimReply& reply) override;
    bool HandleRaw(const std::string& line, SimReply& reply) override;

    // The library revision the instrument reports, as a number.
    double LibraryRevision() const;

private:
    void AnswerRecords(const std::string& name, SimReply& reply) const;
    void AnswerEvents(SimReply& reply) const;
    void AnswerPoints(SimReply& reply) const;
    void AnswerReport(const std::string& text, SimReply& reply) const;
    void EndUpload(SimReply& reply);
    // Before library 3.0 records carry no sample counts, whatever a script asked for.
    void ForgetSamplesOnOldLibraries();

    bool m_uploading = false;
    std::vector<std::string> m_upload;
};
