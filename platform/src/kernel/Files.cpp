// CreateFileW, ReadFile, WriteFile and CloseHandle for files and serial ports.
//
// Share modes become advisory locks (flock), so that they hold between
// processes too: a handle that shares nothing takes an exclusive lock, any
// other a shared one. A second open that shares nothing thus fails while the
// file is open elsewhere, and an exclusive holder keeps everyone out; readers
// that share with a writer (the record file opened with FILE_SHARE_READ) get
// in. A file is truncated only after its lock was obtained.
#include "devices/DeviceList.h"
#include "kernel/ErrnoMap.h"
#include "kernel/HandleTable.h"
#include "kernel/PathMapping.h"
#include "kernel/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace winapi::kernel;

namespace {

// Small reads (the reader takes a replay file one byte at a time) are served
// from a read-ahead buffer, so a byte costs no system call. A write first
// moves the descriptor back over what was read ahead and not yet taken, so
// reads and writes on one handle see the file position Windows would have.
class FileObject : public KernelObject {
  public:
    explicit FileObject(int fd) : fd_(fd) {}
    ~FileObject() override { ::close(fd_); }

    BOOL read(void* buffer, DWORD count, DWORD* done) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto* out = static_cast<unsigned char*>(buffer);
        DWORD got = takeBuffered(out, count);
        if (got == count) {
            if (done) *done = got;
            return TRUE;
        }
        ssize_t n;
        do {
            if (count - got >= sizeof ahead_)
                n = ::read(fd_, out + got, count - got);
            else
                n = ::read(fd_, ahead_, sizeof ahead_);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            if (done) *done = got;
            if (got > 0) return TRUE;
            SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : win32ErrorFromErrno(errno));
            return FALSE;
        }
        if (count - got >= sizeof ahead_) {
            got += static_cast<DWORD>(n);
        } else {
            head_ = 0;
            tail_ = static_cast<size_t>(n);
            got += takeBuffered(out + got, count - got);
        }
        if (done) *done = got; // 0 at the end of the file, with success
        return TRUE;
    }

    BOOL write(const void* buffer, DWORD count, DWORD* done) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (head_ != tail_) {
            ::lseek(fd_, -static_cast<off_t>(tail_ - head_), SEEK_CUR);
            head_ = tail_ = 0;
        }
        auto* p = static_cast<const unsigned char*>(buffer);
        DWORD written = 0;
        while (written < count) {
            ssize_t n = ::write(fd_, p + written, count - written);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (done) *done = written;
                int e = n < 0 ? errno : ENOSPC;
                SetLastError(e == EBADF ? ERROR_ACCESS_DENIED : win32ErrorFromErrno(e));
                return FALSE;
            }
            written += static_cast<DWORD>(n);
        }
        if (done) *done = written;
        return TRUE;
    }

  private:
    DWORD takeBuffered(unsigned char* out, DWORD count) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(count, tail_ - head_));
        if (n) std::memcpy(out, ahead_ + head_, n);
        head_ += n;
        return n;
    }

    int fd_;
    std::mutex mutex_;
    unsigned char ahead_[16384];
    size_t head_ = 0;
    size_t tail_ = 0;
};

bool equalsNoCase(WCHAR a, char b) {
    if (a >= u'a' && a <= u'z') a = static_cast<WCHAR>(a - u'a' + u'A');
    return a == static_cast<WCHAR>(b);
}

// "\\.\COMn" (any n) or a bare "COM1".."COM9": the port number, else 0.
int comPortNumber(LPCWSTR name) {
    bool device = (name[0] == u'\\' || name[0] == u'/') && (name[1] == u'\\' || name[1] == u'/') &&
                  name[2] == u'.' && (name[3] == u'\\' || name[3] == u'/');
    LPCWSTR p = device ? name + 4 : name;
    if (!equalsNoCase(p[0], 'C') || !equalsNoCase(p[1], 'O') || !equalsNoCase(p[2], 'M')) return 0;
    p += 3;
    if (*p < u'1' || *p > u'9') return 0;
    long n = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        n = n * 10 + (*p - u'0');
        if (n > 100000) return 0;
    }
    if (*p != 0 || (!device && n > 9)) return 0;
    return static_cast<int>(n);
}

HANDLE fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

HANDLE openSerial(int number, DWORD access, DWORD share) {
    std::string path = winapi::devicePathForComPort(number);
    if (path.empty()) return fail(ERROR_FILE_NOT_FOUND);
    DWORD error = ERROR_GEN_FAILURE;
    auto port = SerialPort::open(path, access, share, &error);
    if (!port) return fail(error);
    SetLastError(ERROR_SUCCESS);
    return addHandle(port);
}

DWORD missingFileError(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
    struct stat st;
    if (stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

} // namespace

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    if (!lpFileName || !*lpFileName) return fail(ERROR_PATH_NOT_FOUND);
    if (int com = comPortNumber(lpFileName)) return openSerial(com, dwDesiredAccess, dwShareMode);

    LPCWSTR name = lpFileName;
    bool prefixed = (name[0] == u'\\') && name[1] == u'\\' &&
                    (name[2] == u'.' || name[2] == u'?') && name[3] == u'\\';
    if (prefixed) {
        if (name[2] == u'.') return fail(ERROR_FILE_NOT_FOUND); // a device other than a COM port
        name += 4;                                              // "\\?\Z:\..." is an ordinary path
    }
    DWORD error = ERROR_PATH_NOT_FOUND;
    auto path = linuxPathFromWindows(name, &error);
    if (!path) return fail(error);

    int flags = O_CLOEXEC | O_NOCTTY;
    bool read = dwDesiredAccess & GENERIC_READ, write = dwDesiredAccess & GENERIC_WRITE;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    bool truncate = false;
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT;
        truncate = true;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!write) return fail(ERROR_INVALID_PARAMETER);
        truncate = true;
        break;
    default:
        return fail(ERROR_INVALID_PARAMETER);
    }

    // Learn whether the file existed: Windows reports ERROR_ALREADY_EXISTS then.
    bool existed = true;
    int fd = -1;
    if (flags & O_CREAT && !(flags & O_EXCL)) {
        fd = ::open(path->c_str(), flags | O_EXCL, 0666);
        if (fd >= 0)
            existed = false;
        else if (errno != EEXIST)
            flags &= ~O_CREAT; // fall through to a plain open for the real error
    }
    if (fd < 0) fd = ::open(path->c_str(), flags, 0666);
    if (fd < 0) {
        int e = errno;
        if (e == ENOENT) return fail(missingFileError(*path));
        return fail(e == EEXIST ? ERROR_FILE_EXISTS : win32ErrorFromErrno(e));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(ERROR_ACCESS_DENIED);
    }
    int lockMode = (dwShareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE)) == 0 ? LOCK_EX : LOCK_SH;
    if (flock(fd, lockMode | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return fail(ERROR_SHARING_VIOLATION);
    }
    if (truncate && existed && S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) {
        int e = errno;
        ::close(fd);
        return fail(win32ErrorFromErrno(e));
    }
    HANDLE h = addHandle(std::make_shared<FileObject>(fd));
    bool reportsExisting =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    auto object = findHandle(hFile);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return object->read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    auto object = findHandle(hFile);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return object->write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten);
}

// Closing ends any read still waiting on the handle in another thread; the
// descriptor itself is released when that call has returned.
BOOL WINAPI CloseHandle(HANDLE hObject) {
    auto object = removeHandle(hObject);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->closed();
    return TRUE;
}
