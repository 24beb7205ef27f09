#include "Pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

struct SpeedEntry {
    speed_t speed;
    int baud;
};

const SpeedEntry kSpeeds[] = {
    {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},   {B4800, 4800},
    {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600}, {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

} // namespace

int baudOfSpeed(unsigned speed) {
    for (const auto& e : kSpeeds)
        if (e.speed == speed) return e.baud;
    return 0;
}

unsigned speedOfBaud(int baud) {
    for (const auto& e : kSpeeds)
        if (e.baud == baud) return e.speed;
    return 0;
}

bool Pty::open(int baud, std::string* error) {
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        *error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        *error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        close();
        return false;
    }
    // Raw mode on the slave. Linux keeps one set of terminal settings per
    // pair (the master's own side is always raw), so this makes the whole
    // line transparent until the program sets its own.
    termios t;
    if (tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        if (speed_t s = speedOfBaud(baud)) {
            cfsetispeed(&t, s);
            cfsetospeed(&t, s);
        }
        tcsetattr(slave_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

void Pty::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

int Pty::slaveBaud() const {
    termios t;
    if (master_ < 0 || tcgetattr(master_, &t) != 0) return 0;
    return baudOfSpeed(cfgetospeed(&t));
}

size_t Pty::write(const char* data, size_t size) {
    size_t done = 0;
    bool flushed = false;
    while (done < size && master_ >= 0) {
        ssize_t n = ::write(master_, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && !flushed && slave_ >= 0) {
            tcflush(slave_, TCIFLUSH);
            flushed = true;
            continue;
        }
        break;
    }
    return done;
}

long Pty::read(char* buf, size_t size) {
    if (master_ < 0) return -1;
    ssize_t n = ::read(master_, buf, size);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return n <= 0 ? -1 : n;
}

} // namespace sim
