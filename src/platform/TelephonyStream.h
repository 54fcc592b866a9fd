#pragma once
// The byte stream of a connected telephone call: the modem's serial port, handed over by the
// telephony layer once the call is up. The stream owns its own descriptor (a duplicate), so
// closing it leaves the call to the telephony layer, which hangs up when the call is dropped.

#include <cstddef>
#include <string>

class TelephonyStream {
public:
    // Takes ownership of fd, which must be non-blocking. early holds bytes of the call that
    // were read from the port before the stream existed; they come before the port's.
    explicit TelephonyStream(int fd, std::string early = {});
    ~TelephonyStream();
    TelephonyStream(const TelephonyStream&) = delete;
    TelephonyStream& operator=(const TelephonyStream&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Bytes received and not yet read (the early ones included); -1 on failure.
    long InputWaiting() const;
    // Bytes written and not yet sent; -1 on failure.
    long OutputWaiting() const;
    // Reads what is already queued, at most max bytes, without waiting; -1 on failure.
    long ReadQueued(char* buffer, size_t max);
    // Writes every byte, waiting for room when the driver is full (at most timeoutMs in all).
    bool WriteAll(const std::string& text, unsigned timeoutMs = 10000);
    // Discards what has been received and not read, the early bytes too.
    bool FlushInput();
    // Waits until input is waiting or ms have passed; false on time-out or failure.
    bool WaitReadable(unsigned ms) const;
    void Close();

private:
    int m_fd;
    std::string m_early;
};
