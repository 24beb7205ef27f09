// The pseudo-terminal the receiver talks through. The program opens the
// slave side (/dev/pts/N) as its serial port; we write the receiver's output
// to the master side and read the program's commands from it.
//
// We keep a descriptor of the slave open ourselves, in raw mode: the line
// then never hangs up between two openings by the program, and no echo or
// line editing of the default terminal settings touches the data. On Linux
// the master reports the slave's terminal settings, so the baud rate the
// program chose can be read back.
#pragma once

#include <string>

namespace sim {

class Pty {
  public:
    Pty() = default;
    ~Pty() { close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens a pair, slave raw at `baud`; false and an error text on failure.
    bool open(int baud, std::string* error);
    void close();
    bool isOpen() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // The baud rate the slave is set to (by the program), 0 if unknown.
    int slaveBaud() const;
    // Writes without blocking. When nobody reads and the slave's buffer is
    // full, the stale input is discarded, as a receiver's bytes are lost when
    // no one listens. Returns the count written.
    size_t write(const char* data, size_t size);
    // Reads what the program wrote; -1 on error or hang-up.
    long read(char* buf, size_t size);

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Numeric baud rate of a termios speed constant and back (0 if unknown).
int baudOfSpeed(unsigned speed);
unsigned speedOfBaud(int baud);

} // namespace sim
