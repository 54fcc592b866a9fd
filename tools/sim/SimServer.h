#pragma once
// Carries the simulated instrument's bytes: a TCP listener on 127.0.0.1 (one client at a
// time) or a pseudo-terminal. Runs on its own thread; records every received byte in memory
// and, when a record path is set, in that file as it arrives.

#include "sim/SimConfig.h"
#include "sim/SimInstrument.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SimServer {
public:
    explicit SimServer(const SimConfig& config);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Opens the link the configuration names and starts serving. False with a message.
    bool Start(std::string& error);
    void Stop();

    uint16_t Port() const { return m_port; }                 // TCP
    const std::string& PtyPath() const { return m_ptyPath; } // pseudo-terminal

    // Everything received so far, over every connection.
    std::string Received() const;
    void ClearReceived();
    // Waits until the received bytes contain needle; false after timeoutMs.
    bool WaitForReceived(const std::string& needle, unsigned timeoutMs) const;
    // Number of TCP connections accepted so far.
    unsigned Connections() const { return m_connections.load(); }

    // Runs fn on the instrument under the server's lock (to inspect or change its state).
    void WithInstrument(const std::function<void(SimInstrument&)>& fn);

private:
    bool StartTcp(std::string& error);
    bool StartPty(std::string& error);
    void Run();
    void ServeBytes(const char* data, size_t n);
    bool WriteAll(int fd, const std::string& bytes);
    // WriteAll at the configured line rate, when there is one (streamed replies).
    bool Send(const std::string& bytes);
    // Sends an output, its stream included; false when the client is gone.
    bool SendOutput(SimInstrument::Output& out);
    void CloseClient();
    bool SleepInterruptible(unsigned ms);

    SimConfig m_config;
    SimInstrument m_instrument;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_received;
    std::string m_bytes;
    int m_recordFd = -1;

    int m_listenFd = -1;
    int m_clientFd = -1; // the accepted socket, or the pty master
    int m_ptySlaveFd = -1;
    int m_wakeRead = -1, m_wakeWrite = -1;
    uint16_t m_port = 0;
    std::string m_ptyPath;
    std::atomic<bool> m_stop{false};
    std::atomic<unsigned> m_connections{0};
    std::thread m_thread;
    // Line-rate pacing: when the current burst of output began and how much it holds.
    std::chrono::steady_clock::time_point m_burstStart;
    uint64_t m_burstBytes = 0;
};
