#include "model/CommInstrumentTokenStream.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "platform/Connection.h"

CommInstrumentTokenStream::CommInstrumentTokenStream(CConnection& connection,
                                                     unsigned receiveTimeoutMs)
    : m_connection(connection), m_receiveTimeoutMs(receiveTimeoutMs) {}

std::string CommInstrumentTokenStream::ReadLine() {
    std::string line = m_connection.ReadString(m_receiveTimeoutMs, kLineTerminator);
    if (line.empty()) {
        SetTimedOut();
        AppLogMessage(LOG_ERROR, "Timed out waiting for response from instrument.");
    } else {
        AppLogMessage(LOG_RESPONSE, line);
    }
    return line;
}
