#pragma once
// The receive buffer of a transport and the read loop every kind shares: refill the buffer
// from the link when it is empty, hand bytes over one at a time up to the count or the
// terminator, and otherwise poll in steps until the cancel flag or the time-out ends it.
// Bytes left over stay for the next read.
//
// Threads: only the site's worker reads; the fields are touched under the application state
// lock, which is released while the loop waits and while the link is asked for bytes.

#include <atomic>
#include <cstddef>
#include <vector>

class LinkSource;

class ReceiveBuffer {
public:
    static constexpr size_t kSize = 10000;
    // A read looks at the link at least this often (ms).
    static constexpr unsigned kPollStepMs = 10;

    // Allocates the buffer, empty; a read before it (or after Release) stores nothing.
    void Allocate();
    void Release();
    // Drops what was received and not yet read.
    void Clear();
    bool IsAllocated() const;

    // Stores up to maxCount bytes in out; never longer than the time-out (strictly greater
    // ends it) plus one step. cancel ends it after the current pass.
    size_t Read(LinkSource& source, char* out, size_t maxCount, unsigned timeoutMs, int terminator,
                const std::atomic<bool>& cancel);
    // What Read would store, if the bytes already buffered complete the read (the count or
    // the terminator); otherwise 0 and nothing is taken. Never looks at the link.
    size_t TakeWhole(char* out, size_t maxCount, int terminator);

private:
    // Moves buffered bytes to out[stored..], up to the count or the terminator; true when
    // the read is complete. The caller holds the state lock.
    bool TakeLocked(char* out, size_t maxCount, int terminator, size_t& stored);

    std::vector<char> m_data;
    size_t m_count = 0;
    size_t m_position = 0;
    // Filled outside the lock by the reading thread alone.
    std::vector<char> m_incoming;
};
