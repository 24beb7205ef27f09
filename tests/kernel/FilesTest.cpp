#include "kernel/KernelTestEnv.h"
#include "kernel/PathMapping.h"

#include <windows.h>

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using kerneltest::TempDir;
using kerneltest::zPath;
using winapi::kernel::linuxPathFromWindows;
using winapi::kernel::windowsPathFromLinux;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

HANDLE openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(zPath(path).c_str(), access, share, nullptr, disposition, 0, nullptr);
}

} // namespace

TEST(PathMapping, DriveZIsTheLinuxRoot) {
    struct Case {
        const char16_t* windows;
        const char* linux;
    } cases[] = {
        {u"Z:\\home\\op\\starvane", "/home/op/starvane"},
        {u"z:/home/op/x_log.txt", "/home/op/x_log.txt"},
        {u"Z:\\a\\\\b", "/a/b"},
        {u"Z:\\", "/"},
        {u"Z:", "/"},
        {u"\\tmp\\x", "/tmp/x"},
        {u"rel\\x.pgl", "rel/x.pgl"},
        {u"Z:\\d\u00e9j\u00e0", "/d\xc3\xa9j\xc3\xa0"},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        auto mapped = linuxPathFromWindows(c.windows, &error);
        ASSERT_TRUE(mapped.has_value()) << c.linux;
        EXPECT_EQ(*mapped, c.linux);
    }
    EXPECT_EQ(windowsPathFromLinux("/usr/bin/starvane"), u"Z:\\usr\\bin\\starvane");
}

TEST(PathMapping, OtherDrivesAndNetworkPathsFail) {
    struct Case {
        const char16_t* windows;
        DWORD error;
    } cases[] = {
        {u"C:\\x.txt", ERROR_PATH_NOT_FOUND},
        {u"\\\\server\\share\\x", ERROR_BAD_NETPATH},
        {u"Z:\\bad\xd800", ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_FALSE(linuxPathFromWindows(c.windows, &error).has_value());
        EXPECT_EQ(error, c.error);
    }
    HANDLE h = CreateFileW(u"C:\\x.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Files, MissingFileAndMissingFolderAreTold) {
    TempDir dir;
    EXPECT_EQ(openFile(dir.path() + "/none.pgl", GENERIC_READ, 0, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(openFile(dir.path() + "/no/x.pgl", GENERIC_READ, 0, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(openFile(dir.path(), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// The record file: created anew, written while another program reads it.
TEST(Files, RecordFileIsReadableWhileItGrows) {
    TempDir dir;
    std::string path = dir.path() + "/_log.txt";
    std::ofstream(path) << "old content that must go";

    HANDLE writer = openFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, "\xff\xfe", 2, &written, nullptr));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(readAll(path), "\xff\xfe");

    HANDLE reader = openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char buf[16];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(reader, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(std::string(buf, got), "\xff\xfe");
    ASSERT_TRUE(ReadFile(reader, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(got, 0u); // end of file: success with nothing

    ASSERT_TRUE(WriteFile(writer, "$\0\n\0", 4, &written, nullptr));
    ASSERT_TRUE(ReadFile(reader, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(std::string(buf, got), std::string("$\0\n\0", 4));

    // A replay-style open (sharing nothing) is refused while the writer holds it.
    EXPECT_EQ(openFile(path, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    EXPECT_FALSE(ReadFile(writer, buf, 1, &got, nullptr)); // opened for writing only
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_TRUE(CloseHandle(writer));
    EXPECT_FALSE(CloseHandle(writer));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// Reads are served from a read-ahead buffer: byte-sized reads across its
// refills, a large read after small ones, and a write after reads (which must
// land at the position the reads reached, not after the read-ahead).
TEST(Files, SmallReadsLargeReadsAndWritesKeepThePosition) {
    TempDir dir;
    const std::string path = dir.path() + "/replay.pgl";
    std::string content;
    for (int i = 0; content.size() < 100000; ++i)
        content += "$GPGGA,line " + std::to_string(i) + "\r\n";
    std::ofstream(path, std::ios::binary) << content;

    HANDLE h = openFile(path, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string seen;
    char c = 0;
    DWORD got = 0;
    while (seen.size() < 50000 && ReadFile(h, &c, 1, &got, nullptr) && got == 1)
        seen += c;
    std::string rest(content.size(), '\0');
    ASSERT_TRUE(ReadFile(h, rest.data(), static_cast<DWORD>(rest.size()), &got, nullptr));
    seen += rest.substr(0, got);
    // The large read may stop at the read-ahead's end; the remainder follows.
    while (ReadFile(h, rest.data(), static_cast<DWORD>(rest.size()), &got, nullptr) && got > 0)
        seen += rest.substr(0, got);
    EXPECT_EQ(seen, content);
    EXPECT_TRUE(CloseHandle(h));

    h = openFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char head[4];
    ASSERT_TRUE(ReadFile(h, head, 4, &got, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "XY", 2, &written, nullptr));
    ASSERT_TRUE(ReadFile(h, &c, 1, &got, nullptr));
    EXPECT_EQ(c, content[6]);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(readAll(path), content.substr(0, 4) + "XY" + content.substr(6));
}

TEST(Files, ExclusiveOpenKeepsOthersOutAndIsNotTruncated) {
    TempDir dir;
    std::string path = dir.path() + "/replay.pgl";
    std::ofstream(path) << "$GPGGA\r\n";

    HANDLE first = openFile(path, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openFile(path, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(openFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(readAll(path), "$GPGGA\r\n"); // the refused CREATE_ALWAYS truncated nothing
    CloseHandle(first);

    HANDLE again = openFile(path, GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST(Files, FileHeldExclusivelyByAnotherProcessCannotBeOpened) {
    TempDir dir;
    std::string path = dir.path() + "/replay.pgl";
    std::ofstream(path) << "x";
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    if (child == 0) {
        // The other program: holds the file the way an exclusive open does.
        close(release[1]);
        HANDLE h = openFile(path, GENERIC_READ, 0, OPEN_EXISTING);
        char c = h != INVALID_HANDLE_VALUE ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(openFile(path, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    close(release[1]);
    waitpid(child, nullptr, 0);
    HANDLE h = openFile(path, GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    close(ready[0]);
    close(ready[1]);
    close(release[0]);
}

TEST(Files, DiskFullIsReported) {
    HANDLE full = CreateFileW(u"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(full, "$GPRMC\r\n", 8, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 0u);
    CloseHandle(full);
}

TEST(Files, UnknownHandlesAreRefused) {
    char buf[4];
    DWORD got = 7;
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buf, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(WriteFile(nullptr, buf, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x1234)));
}
