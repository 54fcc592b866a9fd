// Name look-ups run on a thread of their own so that an abort (a disconnect, the program's
// exit) ends the wait, whatever the name servers do.

#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>

namespace {

TEST(ResolveIPv4, AbortEndsALookUpAndDottedNeedsNone) {
    struct Row {
        const char* host;
        bool aborted;
        unsigned limitMs;
        bool ok;
        uint32_t address; // host order, when ok
    };
    const Row rows[] = {
        {"10.1.2.3", true, 0, true, 0x0A010203u}, // no look-up, so nothing to abort
        {"localhost", false, Socket::kResolveLimitMs, true, INADDR_LOOPBACK},
        {"localhost", true, Socket::kResolveLimitMs, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.host) + (row.aborted ? " aborted" : "") + " limit " +
                     std::to_string(row.limitMs));
        std::atomic<bool> abort{row.aborted};
        uint32_t address = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Socket::ResolveIPv4(row.host, address, &abort, row.limitMs), row.ok);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        if (row.ok) {
            EXPECT_EQ(ntohl(address), row.address);
        }
    }
}

} // namespace
