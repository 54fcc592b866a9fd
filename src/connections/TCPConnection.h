#pragma once
// The TCP/IP transport (keyword TCPIP): one IPv4 client connection to an address or host
// name and a port, carrying the same protocol as the serial cable, with the same buffered
// read loop over a non-blocking socket.
//
// Threads: the site's worker opens, reads, writes, purges and closes; the user-interface
// thread reads and writes the address and port. Field access takes the application state
// lock, which is released around every socket call.

#include "connections/ReceiveBuffer.h"
#include "platform/Connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Socket;

class CTCPConnection : public CConnection {
public:
    static constexpr unsigned kSchema = 0;
    static constexpr size_t kBufferSize = ReceiveBuffer::kSize;
    static constexpr unsigned kPollStepMs = ReceiveBuffer::kPollStepMs;
    // A purge stops after this long even if the peer never stops sending.
    static constexpr unsigned kPurgeLimitMs = 100;
    // How long a write may take in all when no instrument gives a receive time-out.
    static constexpr unsigned kDefaultSendLimitMs = 2000;

    CTCPConnection();
    // Takes address and port; the copy starts closed.
    CTCPConnection(const CTCPConnection& other);
    CTCPConnection& operator=(const CTCPConnection&) = delete;
    ~CTCPConnection() override;

    const char* GetClassName() const override { return "CTCPConnection"; }
    unsigned GetSchema() const override { return kSchema; }

    // Address, port; the same layout for every schema.
    void Serialize(CArchive& ar) override;
    // SITE_TCPIP_ADDRESS (string) and SITE_TCPIP_PORT (integer). The current token is the
    // first key; a malformed line is noted in the stream and gives false.
    bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) override;
    void WriteConfig(std::string& out, const CNamedObjectList& modems) const override;
    int GetConnectionType() const override { return CONN_TCPIP; }

    // Connects (blocking) to the address or the first address of the host name; a cancel
    // (CancelRead) gives up the attempt. A write that the socket cannot take at once may
    // wait for the peer, but takes no longer in all than the receive time-out of inst (if
    // given).
    bool Open(CInstrumentConnection* inst) override;
    // Shuts down the sending side and closes; false if no socket was open.
    bool Close() override;
    // Discards the buffer and everything that has arrived, for at most kPurgeLimitMs or
    // until a cancel; true if open.
    bool Purge() override;
    size_t Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) override;
    size_t TakeArrived(char* buffer, size_t maxCount, int terminator) override;
    // True only if the socket took every byte.
    bool Write(const std::string& text) override;
    bool IsOpen() const override;
    CConnection* Clone() const override { return new CTCPConnection(*this); }

    std::string GetAddress() const;
    void SetAddress(const std::string& address);
    uint32_t GetPort() const;
    void SetPort(uint32_t port);

    static void RegisterClass();

private:
    std::string m_address = "0.0.0.0";
    uint32_t m_port = 0;

    // Run-time only. Shared so that a call outside the lock never sees the socket freed.
    std::shared_ptr<Socket> m_socket;
    ReceiveBuffer m_receive;
    unsigned m_sendLimitMs = kDefaultSendLimitMs;
};
