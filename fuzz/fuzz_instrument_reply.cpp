// Arbitrary bytes as an instrument's replies, read by the command protocol: reply headers,
// variable values, log-on answers, display lines and the identification listing. Each line
// the program writes is answered with the next piece of the input; when the input is used
// up every read times out at once, so a run always ends.

#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/SiteLink.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "platform/Connection.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Answers every write with the next reply piece; reads never wait.
class FuzzConnection : public CConnection {
public:
    explicit FuzzConnection(FuzzedDataProvider& data) : m_data(data) {}

    const char* GetClassName() const override { return "FuzzConnection"; }
    unsigned GetSchema() const override { return 0; }
    void Serialize(CArchive&) override {}
    bool ReadConfig(ConfigFileTokenStream&, const CNamedObjectList&) override { return false; }
    void WriteConfig(std::string&, const CNamedObjectList&) const override {}
    int GetConnectionType() const override { return CONN_TCPIP; }
    CConnection* Clone() const override { return nullptr; }

    bool Open(CInstrumentConnection*) override {
        m_open = true;
        return true;
    }
    bool Close() override {
        const bool was = m_open;
        m_open = false;
        return was;
    }
    bool Purge() override {
        m_input.clear();
        return m_open;
    }
    size_t Read(char* buffer, size_t max, unsigned, int terminator) override {
        size_t n = 0;
        while (n < max && m_at < m_input.size()) {
            const char c = m_input[m_at++];
            buffer[n++] = c;
            if (terminator >= 0 && static_cast<unsigned char>(c) == terminator)
                break;
        }
        if (m_at == m_input.size()) {
            m_input.clear();
            m_at = 0;
        }
        return n;
    }
    bool Write(const std::string& text) override {
        if (!m_open || text.empty())
            return false;
        if (m_data.remaining_bytes() > 0) {
            m_input.erase(0, m_at);
            m_at = 0;
            m_input += m_data.ConsumeRandomLengthString(4096);
        }
        return true;
    }
    bool IsOpen() const override { return m_open; }

private:
    FuzzedDataProvider& m_data;
    std::string m_input;
    size_t m_at = 0;
    bool m_open = false;
};

// A site with one instrument and no worker thread: the operations run on this thread.
class FuzzSite : public SiteLink {
public:
    explicit FuzzSite(CConnection& link) : m_link(link) {}

    std::string GetSiteName() const override { return "Fuzz"; }
    void OpenLink(CInstrumentConnection* inst) override {
        if (m_inUse++ == 0 && !m_link.Open(inst))
            m_inUse = 0;
    }
    bool ReleaseLink(bool force) override {
        if (m_inUse <= 0)
            return false;
        if (!force && m_inUse > 1) {
            --m_inUse;
            return true;
        }
        m_link.Close();
        m_inUse = 0;
        return true;
    }
    bool IsConnected() const override { return m_inUse > 0; }
    bool IsBusy() const override { return m_busy > 0; }
    void SetBusy(bool busy) override { m_busy += busy ? 1 : -1; }
    bool Send(const std::string& text, bool purgeFirst) override {
        if (!IsConnected())
            return false;
        if (purgeFirst)
            m_link.Purge();
        return m_link.Write(text);
    }
    CConnection* GetConnection() override { return &m_link; }
    void CancelRead() override { m_link.CancelRead(); }
    void Hold(bool) override {} // one instrument, no list to guard
    bool PostConnectRequest(CInstrumentConnection*) override { return false; }
    bool PostRequest(unsigned, uint32_t, uintptr_t, std::unique_ptr<InstrumentRequest>) override {
        return false;
    }

    int InUse() const { return m_inUse; }
    int Busy() const { return m_busy; }

private:
    CConnection& m_link;
    int m_inUse = 0;
    int m_busy = 0;
};

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    SortTokenTables();
    FuzzedDataProvider data(bytes, size);
    // The first byte chooses how the instrument is set up.
    const uint8_t setup = data.ConsumeIntegral<uint8_t>();

    FuzzConnection link(data);
    FuzzSite site(link);
    CInstrumentConnection inst;
    inst.SetName("Fuzzed");
    if (setup & 1) {
        inst.SetPassword(4321);
        inst.SetUsePassword(true);
    }
    if (setup & 2) {
        inst.SetInstrumentId(200);
        inst.SetUseInstrumentId(true);
    }
    if (setup & 4) {
        inst.SetSelectCode("\x1B\x41");
        inst.SetUseSelect(true);
        inst.SetDeselectCode("\x1B\x42");
        inst.SetUseDeselect(true);
    }
    inst.SetSiteInUse(&site);

    CInstrumentProtocol protocol(inst);
    protocol.Connect();
    if (inst.IsConnected()) {
        Check(inst.HasCapability(CAP_IDENTIFIED));
        Check(inst.GetSelectDepth() == 0);
        // Then a few front-panel and variable exchanges, chosen by the input.
        for (int i = 0; i < 8 && data.remaining_bytes() > 0; ++i) {
            switch (data.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                protocol.UpdateDisplay(data.ConsumeBool());
                break;
            case 1:
                protocol.SendKeys(std::to_string(data.ConsumeIntegralInRange<int>(0, 7)));
                break;
            case 2:
                protocol.GetInstrumentDate();
                break;
            case 3: {
                int32_t value = 0;
                protocol.GetIntVariable("RS232_MODE", value);
                break;
            }
            default: {
                double value = 0;
                protocol.GetRealVariable("das_hold_off", value);
                break;
            }
            }
            Check(inst.GetSelectDepth() == 0);
        }
        // The display shows either a status text of the connect or the 80 characters of two
        // display lines.
        const std::string display = inst.GetDisplayText();
        Check(display.size() == 80 || display == "Setting instrument mode..." ||
              display == "Logging on to instrument...");
        protocol.Disconnect();
        Check(inst.GetStream() == nullptr);
    }
    // Whatever came back, the link is given back and nothing is left running.
    Check(!inst.IsConnected());
    Check(site.InUse() == 0);
    Check(site.Busy() == 0);
    Check(inst.GetIdleCount() == 1);
    inst.SetSiteInUse(nullptr);
    return 0;
}
