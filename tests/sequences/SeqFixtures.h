#pragma once
// Sequence test helpers: an application with the registries, the token tables and the
// archive classes ready, an instrument in its list, and a token stream over a string.

#include "connections/NetworkConfiguration.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceSupport.h"
#include "support/TextSupport.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace seq_test {

// Lines from a string, each with its line end; empty at the end.
class StringTokenStream : public InstrumentTokenStream {
public:
    explicit StringTokenStream(std::string text) : m_text(std::move(text)) {}
    std::string ReadLine() override {
        if (m_pos >= m_text.size())
            return {};
        size_t end = m_text.find('\n', m_pos);
        end = end == std::string::npos ? m_text.size() : end + 1;
        std::string line = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        return line;
    }

private:
    std::string m_text;
    size_t m_pos = 0;
};

class SeqTest : public ::testing::Test {
protected:
    SeqTest() {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
        CSequenceSupport::Install({[this] { ++modifiedCalls; },
                                   [this](const std::string& text) { errors.push_back(text); }});
        inst = new CInstrumentConnection;
        inst->SetName("Cal");
        app->Instruments().AddTail(inst);
    }
    ~SeqTest() override { CSequenceSupport::Install({}); }

    CSequence* AddSequence(const std::string& name) {
        auto* seq = new CSequence(inst, name);
        inst->Sequences().AddTail(seq);
        return seq;
    }

    TestApp app;
    CInstrumentConnection* inst = nullptr;
    int modifiedCalls = 0;
    std::vector<std::string> errors;
};

// A fresh folder per test, removed at the end.
struct TempFolder {
    TempFolder() {
        path = std::filesystem::temp_directory_path() /
               ("gasquill-seqtest-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

} // namespace seq_test
