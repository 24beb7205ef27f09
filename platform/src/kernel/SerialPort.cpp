#include "kernel/SerialPort.h"

#include "kernel/ErrnoMap.h"
#include "kernel/SerialBaud.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace winapi::kernel {

namespace {

struct BaudConstant {
    DWORD rate;
    speed_t constant;
};
constexpr BaudConstant kBauds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},   {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A time-out in milliseconds: mult * count + constant, capped, -1 for none.
int64_t totalTimeout(DWORD multiplier, DWORD constant, DWORD count) {
    if (multiplier == 0 && constant == 0) return -1;
    int64_t t = static_cast<int64_t>(multiplier) * count + constant;
    return std::min<int64_t>(t, INT32_MAX);
}

void modemLine(int fd, int line, bool on) {
    // Pseudo-terminals refuse these requests; nothing depends on them there.
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

} // namespace

std::shared_ptr<SerialPort> SerialPort::open(const std::string& path, DWORD access, DWORD share,
                                             DWORD* error) {
    int mode = O_RDWR;
    if ((access & (GENERIC_READ | GENERIC_WRITE)) == GENERIC_READ)
        mode = O_RDONLY;
    else if ((access & (GENERIC_READ | GENERIC_WRITE)) == GENERIC_WRITE)
        mode = O_WRONLY;
    // Non-blocking so that a port waiting for carrier does not hang the open.
    int fd = ::open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        *error = e == EBUSY ? ERROR_ACCESS_DENIED : win32ErrorFromErrno(e);
        return nullptr;
    }
    auto fail = [&](DWORD code) -> std::shared_ptr<SerialPort> {
        ::close(fd);
        *error = code;
        return nullptr;
    };
    if (!isatty(fd)) return fail(ERROR_FILE_NOT_FOUND);
    // The advisory lock keeps out other programs of ours even where TIOCEXCL
    // does not (a privileged process ignores it).
    if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(ERROR_ACCESS_DENIED);
    if (share == 0) ioctl(fd, TIOCEXCL);
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(win32ErrorFromErrno(errno));

    struct termios t;
    if (tcgetattr(fd, &t) != 0) return fail(win32ErrorFromErrno(errno));
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0; // reads are timed with poll(), never inside read()
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(win32ErrorFromErrno(errno));

    int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) return fail(win32ErrorFromErrno(errno));

    std::shared_ptr<SerialPort> port(new SerialPort);
    port->fd_ = fd;
    port->wake_ = wake;
    port->exclusive_ = share == 0;
    port->settings_.DCBlength = sizeof(DCB);
    port->settings_.fBinary = 1;
    port->settings_.fDtrControl = DTR_CONTROL_ENABLE; // opening a tty raises DTR and RTS
    port->settings_.fRtsControl = RTS_CONTROL_ENABLE;
    port->settings_.fTXContinueOnXoff = 1;
    port->settings_.XonLim = 2048;
    port->settings_.XoffLim = 512;
    return port;
}

SerialPort::~SerialPort() {
    if (exclusive_) ioctl(fd_, TIOCNXCL);
    ::close(fd_); // also drops the advisory lock
    ::close(wake_);
}

void SerialPort::closed() {
    closed_ = true;
    uint64_t one = 1;
    (void)!::write(wake_, &one, sizeof one);
}

SerialPort::Fill SerialPort::fillLocked() {
    if (head_ != tail_) return Fill::Data;
    head_ = tail_ = 0;
    for (;;) {
        ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n > 0) {
            tail_ = static_cast<size_t>(n);
            return Fill::Data;
        }
        if (n == 0) return Fill::Nothing;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return Fill::Nothing;
        return Fill::Gone; // EIO, ENXIO and the like: the device went away
    }
}

DWORD SerialPort::takeLocked(unsigned char* out, DWORD count) {
    DWORD n = static_cast<DWORD>(std::min<size_t>(count, tail_ - head_));
    std::memcpy(out, buffer_ + head_, n);
    head_ += n;
    return n;
}

// Read time-outs as the COMMTIMEOUTS documentation gives them:
// - interval MAXDWORD, multiplier and constant 0: return at once with what
//   is waiting;
// - interval MAXDWORD, multiplier MAXDWORD, constant c: return at once with
//   what is waiting, else wait up to c ms and return with the first byte(s);
// - otherwise wait for the full count, at most multiplier * count + constant
//   ms in all (no limit when both are 0) and at most interval ms between two
//   bytes once the first has come (no limit when 0).
BOOL SerialPort::read(void* buffer, DWORD count, DWORD* done) {
    auto* out = static_cast<unsigned char*>(buffer);
    DWORD got = 0;
    if (done) *done = 0;
    if (count == 0) return TRUE;

    COMMTIMEOUTS to;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        to = timeouts_;
        // Bytes already read ahead answer the call at once when they are
        // enough: all of them, or any when the time-outs ask for any (the
        // reader takes one byte per call, so this is its usual path).
        if (!closed_ && head_ != tail_ &&
            (to.ReadIntervalTimeout == MAXDWORD || tail_ - head_ >= count)) {
            got = takeLocked(out, count);
            if (done) *done = got;
            return TRUE;
        }
    }
    bool anyBytes = to.ReadIntervalTimeout == MAXDWORD;
    int64_t total;
    if (anyBytes && to.ReadTotalTimeoutMultiplier == 0 && to.ReadTotalTimeoutConstant == 0)
        total = 0;
    else if (anyBytes && to.ReadTotalTimeoutMultiplier == MAXDWORD)
        total = std::min<int64_t>(to.ReadTotalTimeoutConstant, INT32_MAX);
    else
        total = totalTimeout(to.ReadTotalTimeoutMultiplier, to.ReadTotalTimeoutConstant, count);
    int64_t interval = (to.ReadIntervalTimeout == 0 || anyBytes) ? -1 : to.ReadIntervalTimeout;

    const int64_t start = nowMs();
    int64_t lastByte = start;
    // A hung-up tty polls readable but reads nothing; seeing that twice (or
    // POLLHUP) ends the read instead of spinning until the time-out.
    bool hungUp = false;
    bool readable = false;
    int emptyWakeups = 0;
    auto finish = [&](BOOL ok, DWORD error) {
        if (done) *done = got;
        if (!ok) SetLastError(error);
        return ok;
    };

    for (;;) {
        if (closed_) return finish(FALSE, ERROR_OPERATION_ABORTED);
        Fill fill;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            fill = fillLocked();
            if (fill == Fill::Data) {
                got += takeLocked(out + got, count - got);
                lastByte = nowMs();
            }
        }
        if (fill == Fill::Gone)
            return got > 0 ? finish(TRUE, 0) : finish(FALSE, ERROR_DEVICE_NOT_CONNECTED);
        if (fill == Fill::Data)
            emptyWakeups = 0;
        else if (readable)
            ++emptyWakeups;
        if (fill == Fill::Nothing && (hungUp || emptyWakeups >= 2)) {
            // Readable yet nothing to read: the tty was hung up (device unplugged).
            return got > 0 ? finish(TRUE, 0) : finish(FALSE, ERROR_DEVICE_NOT_CONNECTED);
        }
        if (got == count || (got > 0 && anyBytes)) return finish(TRUE, 0);

        int64_t now = nowMs();
        int64_t wait = total < 0 ? -1 : std::max<int64_t>(0, start + total - now);
        if (got > 0 && interval >= 0) {
            int64_t gap = std::max<int64_t>(0, lastByte + interval - now);
            wait = wait < 0 ? gap : std::min(wait, gap);
        }
        if (wait == 0) return finish(TRUE, 0);

        struct pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        int rc = poll(fds, 2, static_cast<int>(wait));
        if (rc < 0) {
            if (errno == EINTR) continue;
            return finish(FALSE, win32ErrorFromErrno(errno));
        }
        if (fds[1].revents) return finish(FALSE, ERROR_OPERATION_ABORTED);
        hungUp = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        readable = (fds[0].revents & POLLIN) != 0;
    }
}

BOOL SerialPort::write(const void* buffer, DWORD count, DWORD* done) {
    auto* in = static_cast<const unsigned char*>(buffer);
    DWORD sent = 0;
    COMMTIMEOUTS to;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        to = timeouts_;
    }
    int64_t total =
        totalTimeout(to.WriteTotalTimeoutMultiplier, to.WriteTotalTimeoutConstant, count);
    const int64_t start = nowMs();
    BOOL ok = TRUE;
    while (sent < count) {
        int64_t wait = total < 0 ? -1 : std::max<int64_t>(0, start + total - nowMs());
        struct pollfd pfd = {fd_, POLLOUT, 0};
        int rc = poll(&pfd, 1, static_cast<int>(wait));
        if (rc < 0 && errno == EINTR) continue;
        if (rc == 0) break; // time-out: success with the bytes written so far
        if (rc < 0 || (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            ok = FALSE;
            break;
        }
        ssize_t n = ::write(fd_, in + sent, count - sent);
        if (n > 0) {
            sent += static_cast<DWORD>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            setLastErrorFromErrno(errno);
            ok = FALSE;
            break;
        }
    }
    if (done) *done = sent;
    return ok;
}

BOOL SerialPort::getState(DCB* dcb) {
    struct termios t;
    if (tcgetattr(fd_, &t) != 0) {
        setLastErrorFromErrno(errno);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    DCB d = settings_;
    d.DCBlength = sizeof(DCB);
    d.BaudRate = readLineSpeed(fd_);
    if (d.BaudRate == 0) {
        speed_t s = cfgetospeed(&t);
        for (const auto& b : kBauds)
            if (b.constant == s) d.BaudRate = b.rate;
    }
    switch (t.c_cflag & CSIZE) {
    case CS5:
        d.ByteSize = 5;
        break;
    case CS6:
        d.ByteSize = 6;
        break;
    case CS7:
        d.ByteSize = 7;
        break;
    default:
        d.ByteSize = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        d.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    d.StopBits = (t.c_cflag & CSTOPB) ? (d.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
    d.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
    if (d.fOutxCtsFlow)
        d.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (d.fRtsControl == RTS_CONTROL_HANDSHAKE)
        d.fRtsControl = RTS_CONTROL_ENABLE;
    d.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    d.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    d.XonChar = static_cast<char>(t.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    d.fBinary = 1;
    *dcb = d;
    return TRUE;
}

BOOL SerialPort::setState(const DCB& dcb) {
    bool validStop = dcb.StopBits == ONESTOPBIT || dcb.StopBits == TWOSTOPBITS ||
                     (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize == 5);
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        !validStop) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct termios old, t;
    if (tcgetattr(fd_, &old) != 0) {
        setLastErrorFromErrno(errno);
        return FALSE;
    }
    t = old;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
    case ODDPARITY:
        t.c_cflag |= PARENB | PARODD;
        break;
    case EVENPARITY:
        t.c_cflag |= PARENB;
        break;
    case MARKPARITY:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SPACEPARITY:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb.fParity && dcb.Parity != NOPARITY) t.c_iflag |= INPCK;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    if (dcb.XonChar) t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    if (dcb.XoffChar) t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const BaudConstant* standard = nullptr;
    for (const auto& b : kBauds)
        if (b.rate == dcb.BaudRate) standard = &b;
    // A rate without a B-constant is set through termios2 afterwards.
    cfsetispeed(&t, standard ? standard->constant : B38400);
    cfsetospeed(&t, standard ? standard->constant : B38400);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) {
        setLastErrorFromErrno(errno);
        return FALSE;
    }
    if (!standard && !setArbitraryLineSpeed(fd_, dcb.BaudRate)) {
        tcsetattr(fd_, TCSANOW, &old);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    modemLine(fd_, TIOCM_DTR, dcb.fDtrControl != DTR_CONTROL_DISABLE);
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        modemLine(fd_, TIOCM_RTS, dcb.fRtsControl != RTS_CONTROL_DISABLE);

    std::lock_guard<std::mutex> lock(mutex_);
    settings_ = dcb;
    return TRUE;
}

void SerialPort::getTimeouts(COMMTIMEOUTS* timeouts) {
    std::lock_guard<std::mutex> lock(mutex_);
    *timeouts = timeouts_;
}

BOOL SerialPort::setTimeouts(const COMMTIMEOUTS& timeouts) {
    const COMMTIMEOUTS& t = timeouts;
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
        t.ReadTotalTimeoutConstant == MAXDWORD) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    timeouts_ = timeouts;
    return TRUE;
}

BOOL SerialPort::clearError(DWORD* errors, COMSTAT* stat) {
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) != 0) {
        SetLastError(errno == EIO || errno == ENXIO ? ERROR_DEVICE_NOT_CONNECTED
                                                    : win32ErrorFromErrno(errno));
        return FALSE;
    }
    if (errors) *errors = 0; // line errors are not reported by the tty layer here
    if (stat) {
        int outgoing = 0;
        if (ioctl(fd_, TIOCOUTQ, &outgoing) != 0) outgoing = 0;
        std::memset(stat, 0, sizeof *stat);
        std::lock_guard<std::mutex> lock(mutex_);
        stat->cbInQue = static_cast<DWORD>(waiting) + static_cast<DWORD>(tail_ - head_);
        stat->cbOutQue = static_cast<DWORD>(outgoing);
    }
    return TRUE;
}

BOOL SerialPort::purge(DWORD flags) {
    if (flags &
        ~static_cast<DWORD>(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (flags & PURGE_RXCLEAR) {
        head_ = tail_ = 0; // the layer's own buffer goes with the driver's
        tcflush(fd_, TCIFLUSH);
    }
    if (flags & PURGE_TXCLEAR) tcflush(fd_, TCOFLUSH);
    return TRUE;
}

} // namespace winapi::kernel
