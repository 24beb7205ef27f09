#include "kernel/ErrnoMap.h"

#include <cerrno>

namespace winapi::kernel {

DWORD win32ErrorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ELOOP:
        return ERROR_INVALID_NAME;
    case ENXIO:
    case ENODEV:
    case EIO:
        return ERROR_DEVICE_NOT_CONNECTED;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void setLastErrorFromErrno(int error) {
    SetLastError(win32ErrorFromErrno(error));
}

} // namespace winapi::kernel
