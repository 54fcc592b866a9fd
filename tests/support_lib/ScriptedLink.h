#pragma once
// A transport that answers from a script: each written line whose text equals a rule's key
// queues that rule's reply. Reads take bytes up to the terminator and never wait: no bytes
// left is a read that timed out (or, with breakWhenDry, a link that broke).

#include "platform/Connection.h"

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class ScriptedLink : public CConnection {
public:
    // times < 0: every match answers; else only the first `times` matches.
    void On(const std::string& written, const std::string& reply, int times = -1) {
        std::lock_guard<std::mutex> g(m_lock);
        m_rules.push_back({written, reply, times});
    }
    void Feed(const std::string& bytes) {
        std::lock_guard<std::mutex> g(m_lock);
        m_input += bytes;
    }
    std::vector<std::string> Writes() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_writes;
    }
    void ClearWrites() {
        std::lock_guard<std::mutex> g(m_lock);
        m_writes.clear();
    }
    bool failOpen = false;
    bool breakWhenDry = false;
    bool open = false;
    int closes = 0;
    std::vector<unsigned> timeouts;                  // of each read
    std::function<void(const std::string&)> onWrite; // after each write is answered
    std::function<void()> onOpen;

    const char* GetClassName() const override { return "ScriptedLink"; }
    unsigned GetSchema() const override { return 0; }
    void Serialize(CArchive&) override {}
    bool ReadConfig(ConfigFileTokenStream&, const CNamedObjectList&) override { return false; }
    void WriteConfig(std::string&, const CNamedObjectList&) const override {}
    int GetConnectionType() const override { return CONN_TCPIP; }
    CConnection* Clone() const override { return nullptr; }
    bool Open(CInstrumentConnection*) override {
        if (onOpen)
            onOpen();
        return open = !failOpen && !open;
    }
    bool Close() override {
        closes += open;
        return std::exchange(open, false);
    }
    bool Purge() override {
        std::lock_guard<std::mutex> g(m_lock);
        m_input.clear();
        return open;
    }
    bool IsOpen() const override { return open; }
    size_t Read(char* buffer, size_t max, unsigned timeoutMs, int terminator) override {
        std::lock_guard<std::mutex> g(m_lock);
        timeouts.push_back(timeoutMs);
        size_t n = 0;
        while (n < max && n < m_input.size()) {
            buffer[n] = m_input[n];
            if (static_cast<unsigned char>(m_input[n++]) == terminator)
                break;
        }
        m_input.erase(0, n);
        if (n == 0 && breakWhenDry)
            SetLinkFailed(true);
        return n;
    }
    bool Write(const std::string& text) override {
        if (!open || text.empty())
            return false;
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_writes.push_back(text);
            for (Rule& r : m_rules)
                if (r.written == text && r.times != 0) {
                    m_input += r.reply;
                    r.times -= r.times > 0;
                    break;
                }
        }
        if (onWrite)
            onWrite(text);
        return true;
    }

private:
    struct Rule {
        std::string written, reply;
        int times;
    };
    mutable std::mutex m_lock;
    std::vector<Rule> m_rules;
    std::vector<std::string> m_writes;
    std::string m_input;
};
