#pragma once
// What the buffered read loop (ReceiveBuffer) needs of the link under a transport: the bytes
// that have arrived, a bounded wait for more, and whether the other end has gone.

#include <cstddef>

class LinkSource {
public:
    virtual ~LinkSource() = default;
    // What has arrived, up to size bytes, without waiting: the count, 0 for nothing yet, -1
    // for a failure that ends the read.
    virtual long ReadArrived(char* buffer, size_t size) = 0;
    // Returns when input arrives or after at most ms.
    virtual void WaitForInput(unsigned ms) = 0;
    // The other end has closed the link or hung up.
    virtual bool PeerGone() const { return false; }
};
