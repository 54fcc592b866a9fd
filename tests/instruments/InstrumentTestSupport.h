#pragma once
// An application with one site over a scripted link and one instrument at that site, and the
// reply lines an instrument sends.

#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "support_lib/Fakes.h"
#include "support_lib/ScriptedLink.h"

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

inline std::string Reply(char letter, const std::string& rest) {
    return std::string(1, letter) + " 034:14:05 0000" + rest + "\r\n";
}

// The two display lines of 40 characters each, and the blank line that ends the reply.
inline std::string DisplayReply(std::string top, std::string bottom) {
    top.resize(40, ' ');
    bottom.resize(40, ' ');
    return Reply('K', " 0" + top) + Reply('K', " 1" + bottom) + "\r\n";
}

class RecordingPanel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t wParam, intptr_t) override {
        target.Post(message, wParam, 0);
    }
    void ClosePanel() override { ++closed; }
    RecordingTarget target;
    int closed = 0;
};

// A site that only records the requests posted to its worker and the reads it cancels.
class RecordingSite : public CSiteConnection {
public:
    struct Request {
        unsigned message;
        uint32_t instrument;
        uintptr_t wParam;
    };
    bool PostRequest(unsigned message, uint32_t instrument, uintptr_t wParam,
                     std::unique_ptr<InstrumentRequest>) override {
        requests.push_back({message, instrument, wParam});
        return true;
    }
    void CancelRead() override { ++cancels; }
    std::vector<uintptr_t> Params(unsigned message) const {
        std::vector<uintptr_t> out;
        for (const Request& r : requests)
            if (r.message == message)
                out.push_back(r.wParam);
        return out;
    }
    std::vector<Request> requests;
    int cancels = 0;
};

// A site named `name` over a new scripted link, added to the application's sites.
inline std::pair<CSiteConnection*, ScriptedLink*> AddScriptedSite(CVANTIQApp& app,
                                                                  const std::string& name) {
    auto* site = new CSiteConnection;
    auto* link = new ScriptedLink;
    site->SetName(name);
    site->SetConnection(link);
    app.Sites().AddTail(site);
    return {site, link};
}

// A named instrument at a new site "North".
struct InstrumentFixture {
    InstrumentFixture() {
        std::tie(site, link) = AddScriptedSite(*app, "North");
        inst = new CInstrumentConnection;
        inst->SetName("Ozone");
        inst->SetSiteId(site->GetId());
        app->Instruments().AddTail(inst);
    }
    TestApp app;
    CSiteConnection* site;
    ScriptedLink* link;
    CInstrumentConnection* inst;
};
