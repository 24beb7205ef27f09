#include "kernel/KernelTestEnv.h"

#include <windows.h>

#include <cstdint>
#include <gtest/gtest.h>

namespace {

SYSTEMTIME st(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(mo);
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(h);
    t.wMinute = static_cast<WORD>(mi);
    t.wSecond = static_cast<WORD>(s);
    t.wMilliseconds = static_cast<WORD>(ms);
    return t;
}

uint64_t ticks(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fileTime(uint64_t t) {
    return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

constexpr uint64_t kSecond = 10000000;
constexpr uint64_t kUnixEpoch = 11644473600ull * kSecond;

bool sameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

} // namespace

TEST(Time, ValidDatesConvertBothWaysWithDayOfWeek) {
    struct Case {
        SYSTEMTIME time;
        uint64_t ticks;
        int dayOfWeek;
    } cases[] = {
        {st(1601, 1, 1), 0, 1},
        {st(1970, 1, 1), kUnixEpoch, 4},
        {st(2023, 6, 15, 8, 15, 30), kUnixEpoch + 1686816930ull * kSecond, 4},
        {st(2024, 2, 29, 23, 59, 59, 999), kUnixEpoch + 1709251199999ull * 10000, 4},
        {st(2000, 2, 29), kUnixEpoch + 951782400ull * kSecond, 2},
        {st(2094, 3, 23, 12), kUnixEpoch + 3920184000ull * kSecond, 2},
        {st(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0ull, 5},
    };
    for (const auto& c : cases) {
        SYSTEMTIME in = c.time;
        in.wDayOfWeek = 6; // ignored on input
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&in, &ft)) << c.time.wYear;
        EXPECT_EQ(ticks(ft), c.ticks) << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay;
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_TRUE(sameTime(back, c.time)) << c.time.wYear;
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.time.wYear;
    }
}

TEST(Time, InvalidDatesFailAndLeaveTheOutputUntouched) {
    const SYSTEMTIME cases[] = {
        st(2023, 0, 15),
        st(2023, 13, 15),
        st(2023, 6, 0),
        st(2023, 4, 31),
        st(2023, 2, 29),
        st(2100, 2, 29),
        st(2023, 6, 15, 24),
        st(2023, 6, 15, 1, 60),
        st(2023, 6, 15, 1, 1, 60),
        st(2023, 6, 15, 1, 1, 1, 1000),
        st(1600, 12, 31),
        st(30828, 1, 1),
        SYSTEMTIME{},
    };
    for (const auto& c : cases) {
        FILETIME ft = {0x12345678, 0x9abcdef0};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&c, &ft)) << c.wYear << "-" << c.wMonth << "-" << c.wDay;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(ft.dwLowDateTime, 0x12345678u);
        EXPECT_EQ(ft.dwHighDateTime, 0x9abcdef0u);
    }
    FILETIME negative = fileTime(0x8000000000000000ull);
    SYSTEMTIME out = st(1999, 1, 1);
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &out));
    EXPECT_EQ(out.wYear, 1999);
}

TEST(Time, LocalTimeFollowsTheProcessTimeZone) {
    FILETIME utc;
    SYSTEMTIME fix = st(2023, 6, 15, 8, 15, 30);
    ASSERT_TRUE(SystemTimeToFileTime(&fix, &utc));
    struct Case {
        const char* tz;
        SYSTEMTIME when;
        int64_t offsetHours;
    } cases[] = {
        {"Etc/GMT-2", st(2023, 6, 15, 8, 15, 30), 2},
        {"UTC", st(2023, 6, 15, 8, 15, 30), 0},
        {"America/New_York", st(2023, 6, 15, 8, 15, 30), -4},
        // The offset is the one in force at the instant converted, not now.
        {"Europe/Berlin", st(2023, 6, 15, 8, 15, 30), 2},
        {"Europe/Berlin", st(2023, 1, 15, 8, 15, 30), 1},
    };
    for (const auto& c : cases) {
        kerneltest::ScopedEnv tz("TZ", c.tz);
        FILETIME in, local;
        ASSERT_TRUE(SystemTimeToFileTime(&c.when, &in));
        ASSERT_TRUE(FileTimeToLocalFileTime(&in, &local));
        EXPECT_EQ(static_cast<int64_t>(ticks(local) - ticks(in)),
                  c.offsetHours * 3600 * static_cast<int64_t>(kSecond))
            << c.tz;
    }
    kerneltest::ScopedEnv tz("TZ", "Etc/GMT-2");
    FILETIME local;
    SYSTEMTIME shown;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &shown));
    EXPECT_TRUE(sameTime(shown, st(2023, 6, 15, 10, 15, 30)));
    EXPECT_EQ(shown.wDayOfWeek, 4);
}

TEST(Time, GetLocalTimeIsAValidTime) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(&now, &ft));
    EXPECT_GE(now.wYear, 2020);
}

// Only invalid input is tried: a valid time would really set this machine's clock.
TEST(Time, SetLocalTimeRejectsInvalidTimesWithoutTouchingTheClock) {
    const SYSTEMTIME cases[] = {SYSTEMTIME{}, st(2023, 13, 1), st(2023, 2, 30),
                                st(2023, 6, 15, 25)};
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(SetLocalTime(&c));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_FALSE(SetLocalTime(nullptr));
}

TEST(Time, TickCountAdvancesAcrossSleep) {
    DWORD before = GetTickCount();
    Sleep(20);
    DWORD elapsed = GetTickCount() - before; // unsigned difference survives the wrap
    EXPECT_GE(elapsed, 20u);
}
