#include "kernel/PathMapping.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

TEST(Module, FileNameIsTheExecutableOnDriveZ) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = 0;
    std::u16string expected = winapi::kernel::windowsPathFromLinux(exe);

    WCHAR path[MAX_PATH];
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::u16string(path), expected);
    EXPECT_EQ(len, expected.size());
    EXPECT_EQ(std::u16string(path).substr(0, 3), u"Z:\\");

    WCHAR small[6] = {u'#', u'#', u'#', u'#', u'#', u'#'};
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(small), expected.substr(0, 4));
    EXPECT_EQ(small[5], u'#');
}

TEST(Module, OnlyTheRichEditLibraryLoads) {
    EXPECT_NE(LoadLibraryW(u"RICHED32.DLL"), nullptr);
    EXPECT_NE(LoadLibraryW(u"riched32.dll"), nullptr);
    EXPECT_EQ(LoadLibraryW(u"msftedit.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

namespace {
std::atomic<DWORD> g_seenId{0};
std::atomic<bool> g_sawParameter{false};

DWORD WINAPI recordThread(LPVOID parameter) {
    g_sawParameter = *static_cast<int*>(parameter) == 42;
    g_seenId = GetCurrentThreadId();
    return 0;
}
} // namespace

TEST(Threads, CreateThreadRunsWithItsOwnId) {
    static int parameter = 42;
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, recordThread, &parameter, 0, &id);
    ASSERT_NE(h, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h)); // closing the handle does not stop the thread
    for (int i = 0; i < 500 && g_seenId == 0; ++i)
        Sleep(10);
    EXPECT_EQ(g_seenId.load(), id);
    EXPECT_TRUE(g_sawParameter.load());
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
}
