#include "instruments/InstrumentRequestHandler.h"

#include "base/MessageTarget.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/SiteLink.h"

#include <map>
#include <mutex>

namespace {

std::mutex g_bodiesLock;
std::map<unsigned, CInstrumentTransfer::Body>& Bodies() {
    static std::map<unsigned, CInstrumentTransfer::Body> bodies;
    return bodies;
}

} // namespace

bool CInstrumentRequestHandler::TransferMessages(unsigned message, unsigned& success,
                                                 unsigned& failure) {
    switch (message) {
    case MSG_GET_DAS_CONFIG:
        success = 1038, failure = 1039;
        return true;
    case MSG_SEND_DAS_CONFIG:
        success = 1040, failure = 1041;
        return true;
    case MSG_DOWNLOAD_DAS_RECORDS:
        success = 1043, failure = 1044;
        return true;
    case MSG_GET_SEQUENCES:
        success = 1047, failure = 1048;
        return true;
    case MSG_SEND_SEQUENCES:
        success = 1049, failure = 1050;
        return true;
    default:
        return false;
    }
}

void CInstrumentRequestHandler::SetTransferBody(unsigned message, CInstrumentTransfer::Body body) {
    std::lock_guard<std::mutex> guard(g_bodiesLock);
    Bodies()[message] = std::move(body);
}

void CInstrumentRequestHandler::Handle(unsigned message, CInstrumentConnection& inst,
                                       uintptr_t wParam, InstrumentRequest* request) {
    CInstrumentProtocol protocol(inst);
    unsigned success = 0, failure = 0;
    switch (message) {
    case MSG_CONNECT:
        protocol.Connect();
        break;
    case MSG_DISCONNECT:
        protocol.Disconnect();
        break;
    case MSG_REFRESH_DISPLAY:
        protocol.UpdateDisplay(false);
        break;
    case MSG_KEY_PRESS:
        // The eight front-panel keys send "0" to "7"; other numbers are dropped.
        if (wParam >= 1 && wParam <= 8)
            protocol.SendKeys(std::to_string(wParam - 1));
        break;
    default:
        if (!TransferMessages(message, success, failure))
            return;
        CInstrumentTransfer::Body body;
        {
            std::lock_guard<std::mutex> guard(g_bodiesLock);
            auto it = Bodies().find(message);
            if (it != Bodies().end())
                body = it->second;
        }
        CInstrumentTransfer transfer(inst, request ? request->window : nullptr, success, failure,
                                     request);
        transfer.Run(body);
        break;
    }
    inst.NotifyRequestDone(message);
}
