#include "LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

unsigned lineSpeed(int fd) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}
