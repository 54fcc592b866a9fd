#pragma once
// What an instrument needs of its site (CSiteConnection): the shared link and its worker
// thread. The site implements it; the instrument finds it among the application's sites by
// object ID and keeps it as its site in use while connected.
//
// Worker side (on the site's worker thread): OpenLink, ReleaseLink, Send, SetBusy,
// GetConnection. User-interface side: PostConnectRequest, PostRequest, CancelRead, IsBusy.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CConnection;
class CInstrumentConnection;
class MessageTarget;

// The heap record of a transfer request (1029..1033): the window that asked and is told the
// result, and the channels of a download. The worker owns it once posted.
struct InstrumentRequest {
    virtual ~InstrumentRequest() = default;
    MessageTarget* window = nullptr;
    std::vector<uint32_t> channels;
};

class SiteLink {
public:
    virtual ~SiteLink() = default;

    virtual std::string GetSiteName() const = 0;
    // The first instrument opens the transport, later ones share it (in-use count). A failure
    // is reported by the site itself ("Unable to connect to site %s.").
    virtual void OpenLink(CInstrumentConnection* instrument) = 0;
    // Without force, only the last user closes the transport. False if not connected.
    virtual bool ReleaseLink(bool force) = 0;
    virtual bool IsConnected() const = 0;
    virtual bool IsBusy() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // Logs text as a Command line, purges unread input first when asked, and writes it in
    // one piece. False if the link is not connected or the write fails.
    virtual bool Send(const std::string& text, bool purgeFirst) = 0;
    // The transport, for the instrument's token stream.
    virtual CConnection* GetConnection() = 0;
    virtual void CancelRead() = 0;
    // An instrument takes the site as its site in use (true) or lets go of it (false); a
    // site held by any instrument is not to be deleted.
    virtual void Hold(bool held) = 0;

    // Starts the worker thread if needed and queues the connect request (1025).
    virtual bool PostConnectRequest(CInstrumentConnection* instrument) = 0;
    // Queues a request for the worker, which looks the instrument up by its object ID when
    // the request's turn comes (a request for an instrument that is gone is dropped) and
    // hands it to CInstrumentRequestHandler::Handle. False if there is no worker thread.
    virtual bool PostRequest(unsigned message, uint32_t instrumentId, uintptr_t wParam,
                             std::unique_ptr<InstrumentRequest> request) = 0;
};
