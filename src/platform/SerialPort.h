#pragma once
// A serial port as the transports see it: open by name, line settings, queue counts,
// reading what is queued without waiting, writing all of a buffer, discarding input,
// closing, and listing the ports that exist. The shape follows libserialport's API; the
// real port is PosixSerialPort (termios). Tests install a factory that hands out ports of
// their own (in memory) in place of the device files.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class SerialParity { None, Odd, Even, Mark, Space };

// What the RTS line does: held low, held high, or driven by the receiver's flow control.
enum class SerialRts { Off, On, Handshake };

struct SerialSettings {
    uint32_t baudRate = 19200;
    int dataBits = 8; // 5..8
    SerialParity parity = SerialParity::None;
    int stopBits = 1;       // 1 or 2
    bool ctsOutput = false; // output waits for CTS
    SerialRts rts = SerialRts::On;
    bool xonXoffOutput = false; // output stops on XOFF from the other side
    bool xonXoffInput = false;  // we send XOFF/XON as our input fills and empties
};

// A serial port the system has: its device path and what it is, for a person choosing one.
struct SerialPortInfo {
    std::string path;        // "/dev/ttyUSB0", or a "/dev/serial/by-id/..." link
    std::string description; // "FTDI FT232R USB UART", "built-in serial port", ...
    bool accessible = true;  // this user may open it for reading and writing
};

// Where the port listing looks; tests point it at a tree of their own.
struct SerialScanRoots {
    std::string ttyClass = "/sys/class/tty";
    std::string devices = "/dev";
    std::string byId = "/dev/serial/by-id";
};

class SerialPort {
public:
    using Factory = std::function<std::unique_ptr<SerialPort>(const std::string& name)>;

    virtual ~SerialPort() = default;

    // The name as the caller gave it, and the device path it stands for.
    virtual std::string GetName() const = 0;
    // Opens for reading and writing, exclusively (no other opener, in this process or
    // another). False if the port does not exist, is busy or may not be opened.
    virtual bool Open() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    // The errno of the last failed call, for a hint to the user (EACCES: the dialout group;
    // EBUSY: another program holds the port).
    virtual int GetLastError() const = 0;

    virtual bool GetSettings(SerialSettings& settings) = 0;
    // Applies every field; a baud rate without a standard code is set as a custom rate.
    virtual bool SetSettings(const SerialSettings& settings) = 0;

    // Bytes received and not yet read, and bytes written and not yet sent; -1 on failure.
    virtual long InputWaiting() = 0;
    virtual long OutputWaiting() = 0;
    // Reads what is queued, up to size bytes, without waiting: 0 if nothing, -1 on failure.
    virtual long NonBlockingRead(char* buffer, size_t size) = 0;
    // Writes all size bytes, waiting while the driver's queue is full, for at most
    // timeoutMs in all (0: no limit). False on failure or time-out.
    virtual bool BlockingWrite(const char* data, size_t size, unsigned timeoutMs) = 0;
    // Waits until input is queued, for at most timeoutMs; true if there is input.
    // A port whose line has hung up waits out the time instead of returning at once.
    virtual bool WaitForInput(unsigned timeoutMs) = 0;
    // Discards everything received and not yet read.
    virtual bool FlushInput() = 0;
    // The line has hung up (the other end of a pseudo-terminal closed, a modem dropped
    // carrier where the driver reports it).
    virtual bool HungUp() { return false; }
    // Waits until everything written has been sent.
    virtual bool Drain() = 0;

    // The port of this name, not yet open: from the installed factory, else a real port.
    static std::unique_ptr<SerialPort> GetPortByName(const std::string& name);
    // Replaces the real ports by the factory's (an empty factory restores them).
    static void SetFactory(Factory factory);

    // "COMn" (n from 1, any case) is /dev/ttyS(n-1); any other name is a path as given.
    static std::string DevicePath(const std::string& name);
    // The serial ports the system has, as device paths, sorted.
    static std::vector<std::string> ListPorts();
    // The same ports with their descriptions, each followed by the stable by-id links that
    // lead to it. A tty counts when the kernel has a device behind it (virtual terminals and
    // pseudo-terminals have none) and, for the ports of the serial core, a real UART (the
    // 8250 driver registers every possible ttyS, most with port type 0).
    static std::vector<SerialPortInfo> ListPortInfo(const SerialScanRoots& roots = {});
    // A short hint for an open that failed with this errno, fit for the second line of a
    // 40-column display; empty when there is nothing useful to say.
    static std::string OpenErrorHint(int error);
};
