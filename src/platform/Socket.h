#pragma once
// An IPv4 TCP client socket: a blocking connect to a dotted address or a host name, then
// non-blocking receives and sends, with waits bounded by the caller.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class Socket {
public:
    Socket() = default;
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A name look-up gives up after this long, and looks at its abort flag this often (ms).
    static constexpr unsigned kResolveLimitMs = 10000;
    static constexpr unsigned kResolveStepMs = 20;

    // A name look-up that blocks until it has an answer: the system's (getaddrinfo) unless
    // another is given.
    using LookUpFn = std::function<bool(const std::string& host, uint32_t& addressNetworkOrder)>;

    // The first IPv4 address of host: a dotted address as written, else the name resolved.
    // A look-up ends, failed, once abort is set or after limitMs, whatever the name servers
    // do (the system's call runs out on a thread of its own).
    static bool ResolveIPv4(const std::string& host, uint32_t& addressNetworkOrder,
                            const std::atomic<bool>* abort = nullptr,
                            unsigned limitMs = kResolveLimitMs, LookUpFn lookUp = nullptr);

    // Resolves host (see ResolveIPv4), creates the socket and connects (waiting until the
    // system gives up, or until abort is set: it is looked at every 50 ms); the socket stays
    // non-blocking. False, with nothing left open, if any step fails.
    bool Connect(const std::string& host, uint16_t port, const std::atomic<bool>* abort = nullptr);
    bool IsOpen() const { return m_fd >= 0; }
    // Shuts down the sending side, then closes.
    void Close();

    // Takes what has arrived, up to size bytes, without waiting: the count, 0 if nothing has
    // arrived or the peer has closed (PeerClosed), -1 on an error.
    long Receive(char* buffer, size_t size);
    bool PeerClosed() const { return m_peerClosed; }
    // Sends all size bytes, waiting while the socket's buffer is full; gives up once
    // timeoutMs have passed since the call, however much the peer has taken meanwhile. The
    // number of bytes the socket took.
    size_t SendAll(const char* data, size_t size, unsigned timeoutMs);
    // Waits for input for at most timeoutMs; true if there is some. Once the peer has closed
    // it waits out the time, so that a reader polling in steps does not spin.
    bool WaitForInput(unsigned timeoutMs);

    int GetDescriptor() const { return m_fd; }

private:
    int m_fd = -1;
    bool m_peerClosed = false;
};
