// The line speed a tty is set to, read through termios2 so that rates
// without a POSIX constant (14400) show too; kept apart from <termios.h>.
#pragma once

unsigned lineSpeed(int fd);
