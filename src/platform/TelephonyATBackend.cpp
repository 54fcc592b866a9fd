#include "platform/TelephonyATBackend.h"

#include "platform/PosixSerialPort.h"
#include "platform/TelephonyClock.h"
#include "platform/TelephonyStream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A result line ended by a lone carriage return counts once nothing follows for this long.
constexpr int kLoneCrMs = 50;
constexpr int kPollStepMs = 20;

bool WriteText(int fd, const std::string& text) {
    TelephonyStream stream(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    return stream.WriteAll(text, 2000);
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

} // namespace

TelephonyATBackend::TelephonyATBackend(std::vector<TelephonyLineConfig> lines) {
    for (auto& config : lines) {
        Line line;
        line.permanentId = PermanentIdFor(config.name);
        // Two names that hash alike still get distinct identifiers, the same in every run.
        while (std::any_of(m_lines.begin(), m_lines.end(),
                           [&](const Line& l) { return l.permanentId == line.permanentId; }))
            line.permanentId = line.permanentId + 1 ? line.permanentId + 1 : 1;
        line.config = std::move(config);
        m_lines.push_back(std::move(line));
    }
}

TelephonyATBackend::~TelephonyATBackend() {
    std::vector<uint32_t> open;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const Line& l : m_lines)
            if (l.handle)
                open.push_back(l.handle);
    }
    for (uint32_t h : open)
        CloseLine(h);
}

uint32_t TelephonyATBackend::PermanentIdFor(const std::string& name) {
    uint32_t h = 2166136261u; // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 16777619u;
    }
    return h ? h : 1;
}

bool TelephonyATBackend::ParseResultCode(const std::string& text, TelephonyCallState& state) {
    std::string s = Upper(text);
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    s.erase(0, first);
    s.erase(s.find_last_not_of(" \t\r\n") + 1);
    if (StartsWith(s, "CONNECT")) {
        state = TelephonyCallState::Connected;
        return true;
    }
    if (s == "BUSY") {
        state = TelephonyCallState::Busy;
        return true;
    }
    for (const char* code : {"NO CARRIER", "NO DIALTONE", "NO DIAL TONE", "NO ANSWER", "ERROR"})
        if (s == code) {
            state = TelephonyCallState::Disconnected;
            return true;
        }
    return false;
}

size_t TelephonyATBackend::GetLineCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines.size();
}

bool TelephonyATBackend::GetLineInfo(size_t index, TelephonyLineInfo& info) const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (index >= m_lines.size())
        return false;
    info.name = m_lines[index].config.name;
    info.permanentId = m_lines[index].permanentId;
    info.dataModem = true;
    info.asciiNames = true;
    return true;
}

std::unique_ptr<PosixSerialPort> TelephonyATBackend::OpenPort(const TelephonyLineConfig& config) {
    // The serial layer opens the port exclusively and sets any rate the kernel takes, not
    // only the standard ones.
    auto port = std::make_unique<PosixSerialPort>(config.device);
    if (!port->Open())
        return nullptr;
    const int fd = port->GetDescriptor();
    // Dropping DTR as the port closes hangs up a modem that follows it; set before the line
    // settings, which keep it.
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return nullptr;
    tio.c_cflag |= HUPCL;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return nullptr;
    SerialSettings settings; // eight data bits, no parity, one stop bit, no flow control
    settings.baudRate = config.speed;
    if (!port->SetSettings(settings))
        return nullptr;
    ::tcflush(fd, TCIOFLUSH);
    return port;
}

int32_t TelephonyATBackend::OpenLine(size_t index, uint32_t& handle) {
    handle = 0;
    TelephonyLineConfig config;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (index >= m_lines.size())
            return ERR_BAD_INDEX;
        if (m_lines[index].handle)
            return ERR_IN_USE;
        config = m_lines[index].config;
    }
    std::unique_ptr<PosixSerialPort> port = OpenPort(config);
    if (!port)
        return ERR_DEVICE;
    std::lock_guard<std::mutex> guard(m_lock);
    Line& line = m_lines[index];
    if (line.handle) // opened by another thread meanwhile; this port closes as it goes
        return ERR_IN_USE;
    line.fd = port->GetDescriptor();
    line.port = std::move(port);
    line.handle = handle = m_nextHandle++;
    return 0;
}

TelephonyATBackend::Line* TelephonyATBackend::FindLine(uint32_t handle) {
    for (Line& l : m_lines)
        if (handle != 0 && l.handle == handle)
            return &l;
    return nullptr;
}

int32_t TelephonyATBackend::CloseLine(uint32_t handle) {
    uint32_t call = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Line* line = FindLine(handle);
        if (!line)
            return ERR_BAD_LINE;
        call = line->call;
    }
    if (call)
        EndCall(call);
    std::lock_guard<std::mutex> guard(m_lock);
    Line* line = FindLine(handle);
    if (!line)
        return ERR_BAD_LINE;
    line->port.reset();
    line->fd = -1;
    line->handle = 0;
    line->call = 0;
    return 0;
}

int32_t TelephonyATBackend::MakeCall(uint32_t lineHandle, const std::string& number,
                                     uint32_t& callHandle) {
    callHandle = 0;
    if (number.empty() || number.find_first_of("\r\n") != std::string::npos)
        return ERR_INVALID;
    uint32_t previous = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Line* line = FindLine(lineHandle);
        if (!line)
            return ERR_BAD_LINE;
        if (line->call) {
            auto it = m_calls.find(line->call);
            if (it != m_calls.end() && !it->second->finished)
                return ERR_IN_USE;
            previous = line->call;
        }
    }
    if (previous)
        EndCall(previous); // a dropped call whose thread has finished
    std::lock_guard<std::mutex> guard(m_lock);
    Line* line = FindLine(lineHandle);
    if (!line || line->call)
        return line ? ERR_IN_USE : ERR_BAD_LINE;
    auto call = std::make_unique<Call>();
    call->handle = m_nextHandle++;
    call->line = lineHandle;
    call->fd = line->fd;
    call->number = number;
    Call* raw = call.get();
    line->call = raw->handle;
    callHandle = raw->handle;
    m_calls.emplace(raw->handle, std::move(call));
    raw->worker = std::thread([this, raw] { RunCall(raw); });
    return m_nextRequest++;
}

int32_t TelephonyATBackend::Drop(uint32_t handle) {
    int32_t request;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_calls.find(handle);
        if (it == m_calls.end())
            return ERR_BAD_CALL;
        it->second->dropRequested = true;
        request = m_nextRequest++;
    }
    m_dropSignal.notify_all();
    return request;
}

std::unique_ptr<TelephonyStream> TelephonyATBackend::GetCallStream(uint32_t handle) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_calls.find(handle);
    if (it == m_calls.end() || it->second->dropRequested ||
        it->second->state != TelephonyCallState::Connected)
        return nullptr;
    const int fd = ::fcntl(it->second->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    // Data that came straight after the connect line's lone CR was read with it: the stream
    // gives it first. The call's thread reads no more result lines once connected.
    std::string early;
    early.swap(it->second->carry);
    return std::make_unique<TelephonyStream>(fd, std::move(early));
}

void TelephonyATBackend::EndCall(uint32_t handle) {
    std::thread worker;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_calls.find(handle);
        if (it == m_calls.end())
            return;
        it->second->dropRequested = true;
        worker = std::move(it->second->worker);
    }
    m_dropSignal.notify_all();
    if (worker.joinable())
        worker.join();
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_calls.find(handle);
    if (it == m_calls.end())
        return;
    if (Line* line = FindLine(it->second->line); line && line->call == handle)
        line->call = 0;
    m_calls.erase(it);
}

bool TelephonyATBackend::DropRequested(Call* call) {
    std::lock_guard<std::mutex> guard(m_lock);
    return call->dropRequested;
}

void TelephonyATBackend::SetState(Call* call, TelephonyCallState state, bool last) {
    TelephonyMessage message;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        call->state = state;
        if (last)
            call->finished = true;
        message.line = call->line;
        message.call = call->handle;
        message.state = state;
    }
    PostMessage(message);
}

bool TelephonyATBackend::ReadResultLine(Call* call, std::string& line) {
    line.swap(call->carry);
    call->carry.clear();
    bool pendingCr = false;
    for (;;) {
        if (DropRequested(call))
            return false;
        pollfd p{call->fd, POLLIN, 0};
        const int r = ::poll(&p, 1, pendingCr ? kLoneCrMs : kPollStepMs);
        if (r < 0 && errno != EINTR)
            return false;
        if (r == 0) {
            if (pendingCr)
                return true; // a line ended by a lone CR
            continue;
        }
        if (r < 0)
            continue;
        if ((p.revents & POLLIN) == 0)
            return false; // hung up or failed: nothing more will come
        char c;
        const ssize_t n = ::read(call->fd, &c, 1);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return false;
        if (c == '\n')
            return true;
        if (c == '\r') {
            pendingCr = true;
            continue;
        }
        if (pendingCr) {
            call->carry.assign(1, c); // the first byte of the next line
            return true;
        }
        line.push_back(c);
    }
}

void TelephonyATBackend::RunCall(Call* call) {
    bool ok = WriteText(call->fd, "ATD" + call->number + "\r");
    if (ok)
        SetState(call, TelephonyCallState::Dialing);
    std::string text;
    while (ok) {
        if (!ReadResultLine(call, text))
            break;
        TelephonyCallState state;
        if (!ParseResultCode(text, state))
            continue;
        SetState(call, state);
        break;
    }
    TelephonyCallState before;
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (call->state == TelephonyCallState::Dialing && !call->dropRequested) {
            // The port failed before any result: the call is over.
            lock.unlock();
            SetState(call, TelephonyCallState::Disconnected);
            lock.lock();
        }
        m_dropSignal.wait(lock, [&] { return call->dropRequested; });
        before = call->state;
    }
    HangUp(call, before);
    // Finished before the notice goes out: whoever hears of the end may call again at once.
    SetState(call, TelephonyCallState::Disconnected, true);
}

void TelephonyATBackend::HangUp(Call* call, TelephonyCallState before) {
    if (before == TelephonyCallState::Dialing) {
        // Any character ends the dialing; the modem then goes back on hook.
        WriteText(call->fd, "\r");
        TelephonyClock::Sleep(100);
        WriteText(call->fd, "ATH0\r");
        return;
    }
    if (before != TelephonyCallState::Connected)
        return; // busy or no carrier: the modem is already on hook
    // Lowering DTR hangs up most modems (a pseudo-terminal has no DTR to lower).
    int dtr = TIOCM_DTR;
    if (::ioctl(call->fd, TIOCMBIC, &dtr) == 0) {
        TelephonyClock::Sleep(kDtrDropMs);
        ::ioctl(call->fd, TIOCMBIS, &dtr);
    }
    // For the modems that ignore DTR: back to command mode, then hang up.
    TelephonyClock::Sleep(kGuardMs);
    WriteText(call->fd, "+++");
    TelephonyClock::Sleep(kGuardMs);
    ::tcflush(call->fd, TCIFLUSH);
    WriteText(call->fd, "ATH0\r");
    pollfd p{call->fd, POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(kHangupReplyMs));
    ::tcflush(call->fd, TCIFLUSH);
}
