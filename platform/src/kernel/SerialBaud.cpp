#include "kernel/SerialBaud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace winapi::kernel {

bool setArbitraryLineSpeed(int fd, unsigned rate) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &t) != 0) return false;
    return readLineSpeed(fd) == rate;
}

unsigned readLineSpeed(int fd) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}

} // namespace winapi::kernel
