#include "platform/PosixSerialPort.h"

#include "base/Elapsed.h"
#include "platform/SerialBaudRate.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

PosixSerialPort::PosixSerialPort(std::string name)
    : m_name(std::move(name)), m_path(DevicePath(m_name)) {}

PosixSerialPort::~PosixSerialPort() {
    Close();
}

bool PosixSerialPort::Fail() {
    m_lastError = errno;
    return false;
}

bool PosixSerialPort::Open() {
    if (m_fd >= 0)
        return false;
    // Non-blocking, so that neither the open (carrier detect) nor a read ever waits.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    // TIOCEXCL keeps other programs out (except the superuser); the lock also keeps out a
    // second opener in this process and the superuser's programs that honour it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_lastError = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        m_lastError = errno;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void PosixSerialPort::Close() {
    if (m_fd < 0)
        return;
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

bool PosixSerialPort::GetSettings(SerialSettings& s) {
    if (m_fd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return Fail();
    uint32_t baud = 0;
    if (!GetSerialBaudRate(m_fd, baud))
        return Fail();
    s.baudRate = baud;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        s.dataBits = 5;
        break;
    case CS6:
        s.dataBits = 6;
        break;
    case CS7:
        s.dataBits = 7;
        break;
    default:
        s.dataBits = 8;
        break;
    }
    if (!(tio.c_cflag & PARENB))
        s.parity = SerialParity::None;
    else if (tio.c_cflag & CMSPAR)
        s.parity = (tio.c_cflag & PARODD) ? SerialParity::Mark : SerialParity::Space;
    else
        s.parity = (tio.c_cflag & PARODD) ? SerialParity::Odd : SerialParity::Even;
    s.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    const bool crtscts = (tio.c_cflag & CRTSCTS) != 0;
    s.ctsOutput = crtscts;
    if (crtscts) {
        s.rts = SerialRts::Handshake;
    } else {
        int lines = 0;
        // A pseudo-terminal has no modem lines; count RTS as raised there.
        s.rts = (::ioctl(m_fd, TIOCMGET, &lines) != 0 || (lines & TIOCM_RTS)) ? SerialRts::On
                                                                              : SerialRts::Off;
    }
    s.xonXoffOutput = (tio.c_iflag & IXON) != 0;
    s.xonXoffInput = (tio.c_iflag & IXOFF) != 0;
    return true;
}

bool PosixSerialPort::SetSettings(const SerialSettings& s) {
    if (m_fd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return Fail();
    // Raw bytes both ways: the protocol is text, but no byte may be translated or eaten.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXANY | IXON | IXOFF | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    switch (s.dataBits) {
    case 5:
        tio.c_cflag |= CS5;
        break;
    case 6:
        tio.c_cflag |= CS6;
        break;
    case 7:
        tio.c_cflag |= CS7;
        break;
    default:
        tio.c_cflag |= CS8;
        break;
    }
    switch (s.parity) {
    case SerialParity::None:
        break;
    case SerialParity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case SerialParity::Even:
        tio.c_cflag |= PARENB;
        break;
    case SerialParity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SerialParity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    // The kernel has one switch for both directions of hardware handshake.
    if (s.ctsOutput || s.rts == SerialRts::Handshake)
        tio.c_cflag |= CRTSCTS;
    if (s.xonXoffOutput)
        tio.c_iflag |= IXON;
    if (s.xonXoffInput)
        tio.c_iflag |= IXOFF;
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return Fail();
    if (!SetSerialBaudRate(m_fd, s.baudRate))
        return Fail();
    if (s.rts != SerialRts::Handshake) {
        // Pseudo-terminals have no modem lines: their refusal is not a failure of the port.
        int bit = TIOCM_RTS;
        ::ioctl(m_fd, s.rts == SerialRts::On ? TIOCMBIS : TIOCMBIC, &bit);
    }
    return true;
}

long PosixSerialPort::InputWaiting() {
    if (m_fd < 0)
        return -1;
    int n = 0;
    if (::ioctl(m_fd, FIONREAD, &n) != 0) {
        Fail();
        return -1;
    }
    return n;
}

long PosixSerialPort::OutputWaiting() {
    if (m_fd < 0)
        return -1;
    int n = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &n) != 0) {
        Fail();
        return -1;
    }
    return n;
}

long PosixSerialPort::NonBlockingRead(char* buffer, size_t size) {
    if (m_fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        Fail();
        return -1;
    }
}

bool PosixSerialPort::BlockingWrite(const char* data, size_t size, unsigned timeoutMs) {
    if (m_fd < 0)
        return false;
    const auto start = Clock::now();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Fail();
        // The driver's queue is full (flow control or a slow line): wait until it takes more.
        int wait = 100;
        if (timeoutMs != 0) {
            const long left = static_cast<long>(timeoutMs) - ElapsedMs(start);
            if (left <= 0) {
                m_lastError = ETIMEDOUT;
                return false;
            }
            wait = static_cast<int>(left < wait ? left : wait);
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, wait) < 0 && errno != EINTR)
            return Fail();
        if (p.revents & (POLLERR | POLLNVAL)) {
            m_lastError = EIO;
            return false;
        }
    }
    return true;
}

bool PosixSerialPort::WaitForInput(unsigned timeoutMs) {
    if (m_fd < 0)
        return false;
    const auto start = Clock::now();
    pollfd p{m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(timeoutMs));
    if (r > 0 && (p.revents & POLLIN) && !(p.revents & (POLLHUP | POLLERR)))
        return true;
    if (r > 0 && InputWaiting() > 0)
        return true;
    // A hung-up line reports itself at once and forever: wait out the step instead, so that
    // a reader polling in steps does not spin.
    const long left = static_cast<long>(timeoutMs) - ElapsedMs(start);
    if (r != 0 && left > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
    return false;
}

bool PosixSerialPort::HungUp() {
    if (m_fd < 0)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

bool PosixSerialPort::FlushInput() {
    if (m_fd < 0)
        return false;
    return ::tcflush(m_fd, TCIFLUSH) == 0 || Fail();
}

bool PosixSerialPort::Drain() {
    if (m_fd < 0)
        return false;
    return ::tcdrain(m_fd) == 0 || Fail();
}
