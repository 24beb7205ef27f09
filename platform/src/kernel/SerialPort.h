// A serial port opened through CreateFileW: a tty in raw mode whose DCB and
// COMMTIMEOUTS are mapped onto termios, read through a small buffer so that
// one-byte reads cost no system call while bytes are waiting.
#pragma once

#include "kernel/HandleTable.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace winapi::kernel {

class SerialPort : public KernelObject {
  public:
    // Opens the tty at path; share mode 0 makes it exclusive (TIOCEXCL and an
    // advisory lock). Returns null with *error set on failure.
    static std::shared_ptr<SerialPort> open(const std::string& path, DWORD access, DWORD share,
                                            DWORD* error);
    ~SerialPort() override;

    BOOL read(void* buffer, DWORD count, DWORD* done) override;
    BOOL write(const void* buffer, DWORD count, DWORD* done) override;
    void closed() override;

    BOOL getState(DCB* dcb);
    BOOL setState(const DCB& dcb);
    void getTimeouts(COMMTIMEOUTS* timeouts);
    BOOL setTimeouts(const COMMTIMEOUTS& timeouts);
    BOOL clearError(DWORD* errors, COMSTAT* stat);
    BOOL purge(DWORD flags);

  private:
    SerialPort() = default;
    enum class Fill { Data, Nothing, Gone };
    Fill fillLocked();
    DWORD takeLocked(unsigned char* out, DWORD count);

    int fd_ = -1;
    int wake_ = -1; // eventfd that ends a waiting read when the handle closes
    bool exclusive_ = false;
    std::atomic<bool> closed_{false};
    std::mutex mutex_; // guards everything below
    unsigned char buffer_[256];
    size_t head_ = 0, tail_ = 0;
    COMMTIMEOUTS timeouts_{};
    DCB settings_{}; // members that termios does not hold, as last set
};

} // namespace winapi::kernel
