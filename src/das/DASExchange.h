#pragma once
// The DAS exchanges with an instrument, run on its site's worker thread inside a transfer
// (CInstrumentTransfer: the instrument connected, the site busy, the instrument selected):
// counting stored records, fetching the event and data point lists, fetching and sending
// the configuration, downloading records. Progress goes to the window as posted messages.

#include <cstdint>
#include <vector>

class CInstrumentConnection;
class CInstrumentTransfer;
class MessageTarget;

// Posted to the window that asked (WM_USER + 12 .. + 20).
enum DASMessage : unsigned {
    DASM_RANGE = 1036,           // wParam: count of steps
    DASM_STEP = 1037,            //
    DASM_FETCH_OK = 1038,        //
    DASM_FETCH_FAILED = 1039,    //
    DASM_SEND_OK = 1040,         //
    DASM_SEND_FAILED = 1041,     //
    DASM_DOWNLOAD_START = 1042,  // wParam: records expected, lParam: the CDASChannel*
    DASM_DOWNLOAD_OK = 1043,     //
    DASM_DOWNLOAD_FAILED = 1044, //
};

// The number of channels the "records" command reports (0 without the command).
int CountStoredRecords(CInstrumentTransfer& transfer);
// Replace the instrument's event / data point list with the instrument's ("event" and
// "parameter" commands). A malformed line ends the list early; false when the reply was cut
// off (its deadline passed, a cancel, a broken link) or the command could not be sent.
bool FetchDASEvents(CInstrumentTransfer& transfer);
bool FetchDASPoints(CInstrumentTransfer& transfer);

// Transfer bodies: true on success.
bool FetchDASConfiguration(CInstrumentTransfer& transfer);
bool SendDASConfiguration(CInstrumentTransfer& transfer);
// Downloads the channels named by their handles, in order, stopping at the first failure.
bool DownloadDASData(CInstrumentTransfer& transfer, const std::vector<uint32_t>& channels);

// Whole transfers on the calling thread (the site worker): the frame, the body and the
// closing message (DASM_..._OK or _FAILED) to window.
bool FetchDASConfiguration(CInstrumentConnection& instrument, MessageTarget* window);
bool SendDASConfiguration(CInstrumentConnection& instrument, MessageTarget* window);
bool DownloadDASData(CInstrumentConnection& instrument, const std::vector<uint32_t>& channels,
                     MessageTarget* window);

// Installs the three transfers (requests 1029, 1030, 1031) with the request handler and
// registers the DAS classes with the archive. Called once at start-up.
void InstallDAS();
