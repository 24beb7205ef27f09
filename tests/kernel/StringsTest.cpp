#include <windows.h>

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <thread>

TEST(Strings, LstrcpynCopiesAtMostNMinusOneAndTerminates) {
    struct Case {
        int n;
        std::u16string expected;
    } cases[] = {{6, u"hello"}, {99, u"hello"}, {5, u"hell"}, {2, u"h"}, {1, u""}};
    for (const auto& c : cases) {
        WCHAR buf[8];
        for (auto& ch : buf)
            ch = u'#';
        EXPECT_EQ(lstrcpynW(buf, u"hello", c.n), buf);
        EXPECT_EQ(std::u16string(buf), c.expected) << "n=" << c.n;
        EXPECT_EQ(buf[c.n < 6 ? c.n : 6], u'#') << "wrote past the terminator, n=" << c.n;
    }
    WCHAR untouched[2] = {u'x', 0};
    lstrcpynW(untouched, u"abc", 0);
    EXPECT_EQ(untouched[0], u'x');
}

TEST(Strings, LengthCopyConcatCompare) {
    WCHAR buf[32];
    lstrcpyW(buf, u"Log ");
    lstrcatW(buf, u"File:");
    EXPECT_EQ(std::u16string(buf), u"Log File:");
    EXPECT_EQ(lstrlenW(buf), 9);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    EXPECT_EQ(lstrcmpW(u"Log File", u"Log File"), 0);
    EXPECT_LT(lstrcmpW(u"COM3", u"COM4"), 0);
    EXPECT_GT(lstrcmpW(u"COM10", u"COM1"), 0);
    EXPECT_LT(lstrcmpW(u"", u"a"), 0);
}

TEST(Strings, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {10, 3, 4, 8},
        {-10, 3, 4, -8},
        {10, -3, 4, -8},
        {10, 3, -4, -8},
        {7, 1, 2, 4},
        {-7, 1, 2, -4},
        {5, 1, 3, 2},
        {6, 8, 16, 3},
        {1, 1, 0, -1},
        {INT_MAX, 2, 1, -1},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {120, 6, 4, 180},
        {-2, 1, 4, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(LastError, IsPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seen = 1;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}
