// The line speed a tty reports through termios2 (rates such as 14400 that
// have no POSIX constant); kept apart from <termios.h>.
#pragma once

unsigned probeLineSpeed(int fd);
