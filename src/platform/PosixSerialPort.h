#pragma once
// A serial port device file driven through termios: the real SerialPort.

#include "platform/SerialPort.h"

class PosixSerialPort : public SerialPort {
public:
    explicit PosixSerialPort(std::string name);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    std::string GetName() const override { return m_name; }
    const std::string& GetPath() const { return m_path; }
    bool Open() override;
    bool IsOpen() const override { return m_fd >= 0; }
    void Close() override;
    int GetLastError() const override { return m_lastError; }

    bool GetSettings(SerialSettings& settings) override;
    bool SetSettings(const SerialSettings& settings) override;

    long InputWaiting() override;
    long OutputWaiting() override;
    long NonBlockingRead(char* buffer, size_t size) override;
    bool BlockingWrite(const char* data, size_t size, unsigned timeoutMs) override;
    bool WaitForInput(unsigned timeoutMs) override;
    bool FlushInput() override;
    bool Drain() override;
    bool HungUp() override;

    int GetDescriptor() const { return m_fd; }

private:
    bool Fail();

    std::string m_name;
    std::string m_path;
    int m_fd = -1;
    int m_lastError = 0;
};
