#pragma once
// The instrument side of a site's worker thread: runs one request (1025..1033) for one
// instrument and then tells the instrument's request observer. The site's worker calls
// Handle for every request whose instrument is still in the application's list.

#include "instruments/InstrumentTransfer.h"

#include <cstdint>

class CInstrumentConnection;
struct InstrumentRequest;

class CInstrumentRequestHandler {
public:
    static void Handle(unsigned message, CInstrumentConnection& instrument, uintptr_t wParam,
                       InstrumentRequest* request);

    // The DAS and sequence code installs the bodies of the transfers 1029..1033; a transfer
    // without a body fails.
    static void SetTransferBody(unsigned message, CInstrumentTransfer::Body body);
    // The success and failure notices of a transfer request.
    static bool TransferMessages(unsigned message, unsigned& success, unsigned& failure);
};
