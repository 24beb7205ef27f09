#include "Termios2Probe.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

unsigned probeLineSpeed(int fd) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return (t.c_cflag & CBAUD) == BOTHER ? t.c_ospeed : 1; // 1: a B-constant is set
}
