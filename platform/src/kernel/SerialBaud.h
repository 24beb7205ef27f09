// Line speeds outside the POSIX B-constants (14400, for one) through the
// Linux termios2 interface. Kept apart because its header cannot meet
// <termios.h> in one translation unit.
#pragma once

namespace winapi::kernel {

// Sets input and output speed to any rate; false when the driver refuses.
bool setArbitraryLineSpeed(int fd, unsigned rate);
// The output speed the driver reports, 0 when it cannot be read.
unsigned readLineSpeed(int fd);

} // namespace winapi::kernel
