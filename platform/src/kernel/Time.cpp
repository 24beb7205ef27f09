// Tick count, pauses and the SYSTEMTIME / FILETIME conversions.
//
// FILETIME counts 100-nanosecond intervals since 1 January 1601 UTC. Local
// time comes from the system's time zone database (the process's TZ when
// set): the offset is the one in force at the converted instant.
#include <windows.h>

#include "kernel/SleepControl.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kUnixEpochSeconds = 11644473600; // 1601-01-01 to 1970-01-01

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1601-01-01 of a proleptic Gregorian date.
int64_t daysSince1601(int y, int m, int d) {
    int64_t days = 0;
    int64_t years = y - 1601;
    days += years * 365 + years / 4 - years / 100 + years / 400;
    for (int i = 1; i < m; ++i)
        days += daysInMonth(y, i);
    return days + d - 1;
}

bool validSystemTime(const SYSTEMTIME& st) {
    return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 &&
           st.wDay >= 1 && st.wDay <= daysInMonth(st.wYear, st.wMonth) && st.wHour < 24 &&
           st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

int64_t toTicks(const FILETIME& ft) {
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) |
                                ft.dwLowDateTime);
}

FILETIME fromTicks(int64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return ft;
}

void fillFromTm(const struct tm& tm, int ms, SYSTEMTIME* st) {
    st->wYear = static_cast<WORD>(tm.tm_year + 1900);
    st->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st->wDay = static_cast<WORD>(tm.tm_mday);
    st->wHour = static_cast<WORD>(tm.tm_hour);
    st->wMinute = static_cast<WORD>(tm.tm_min);
    st->wSecond = static_cast<WORD>(tm.tm_sec);
    st->wMilliseconds = static_cast<WORD>(ms);
}

} // namespace

DWORD WINAPI GetTickCount(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms); // wraps at 32 bits like the original
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (winapi::sleepDisabled()) return; // a companion tool runs the system's code without pauses
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;)
            pause();
    }
    struct timespec ts;
    ts.tv_sec = dwMilliseconds / 1000;
    ts.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
    if (!lpSystemTime || !lpFileTime || !validSystemTime(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    int64_t seconds = daysSince1601(st.wYear, st.wMonth, st.wDay) * 86400 + st.wHour * 3600 +
                      st.wMinute * 60 + st.wSecond;
    *lpFileTime = fromTicks(seconds * kTicksPerSecond + st.wMilliseconds * kTicksPerMs);
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || toTicks(*lpFileTime) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = toTicks(*lpFileTime);
    int64_t days = ticks / (86400 * kTicksPerSecond);
    int64_t rest = ticks % (86400 * kTicksPerSecond);

    // Walk 400-year cycles (146097 days), then single years and months.
    int year = 1601 + static_cast<int>(days / 146097) * 400;
    days %= 146097;
    while (days >= (isLeap(year) ? 366 : 365)) {
        days -= isLeap(year) ? 366 : 365;
        ++year;
    }
    int month = 1;
    while (days >= daysInMonth(year, month)) {
        days -= daysInMonth(year, month);
        ++month;
    }
    SYSTEMTIME st;
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(days + 1);
    // 1 January 1601 was a Monday; 0 is Sunday.
    st.wDayOfWeek = static_cast<WORD>((ticks / (86400 * kTicksPerSecond) + 1) % 7);
    st.wHour = static_cast<WORD>(rest / (3600 * kTicksPerSecond));
    st.wMinute = static_cast<WORD>(rest / (60 * kTicksPerSecond) % 60);
    st.wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
    st.wMilliseconds = static_cast<WORD>(rest / kTicksPerMs % 1000);
    *lpSystemTime = st;
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = toTicks(*lpFileTime);
    // Floor division, so that instants before 1970 find the right second.
    int64_t unixTicks = ticks - kUnixEpochSeconds * kTicksPerSecond;
    int64_t unixSeconds = unixTicks / kTicksPerSecond - (unixTicks % kTicksPerSecond < 0 ? 1 : 0);
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm tm;
    tzset();
    if (!localtime_r(&t, &tm)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t local = ticks + static_cast<int64_t>(tm.tm_gmtoff) * kTicksPerSecond;
    if (local < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = fromTicks(local);
    return TRUE;
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    if (!lpSystemTime) return;
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tm;
    tzset();
    localtime_r(&ts.tv_sec, &tm);
    fillFromTm(tm, static_cast<int>(ts.tv_nsec / 1000000), lpSystemTime);
}

// Sets the clock from a local time. The input is checked completely before
// the clock is touched; without the right to set the clock the call fails
// with ERROR_PRIVILEGE_NOT_HELD, as for an unprivileged caller on Windows.
BOOL WINAPI SetLocalTime(const SYSTEMTIME* lpSystemTime) {
    if (!lpSystemTime || !validSystemTime(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    struct tm tm = {};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    tm.tm_isdst = -1;
    tzset();
    errno = 0;
    time_t utc = mktime(&tm);
    if (utc == static_cast<time_t>(-1) && errno != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct timespec ts;
    ts.tv_sec = utc;
    ts.tv_nsec = static_cast<long>(st.wMilliseconds) * 1000000L;
    if (clock_settime(CLOCK_REALTIME, &ts) != 0) {
        SetLastError(errno == EPERM ? ERROR_PRIVILEGE_NOT_HELD : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
