#include "PortRegistry.h"
#include "Pty.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace sim;

namespace {

// XDG_RUNTIME_DIR pointed at a fresh folder for the test's duration.
struct PrivateRuntime {
    std::string dir;
    std::string old;
    bool hadOld;
    PrivateRuntime() {
        char tmpl[] = "/tmp/starvane-simtest-XXXXXX";
        dir = mkdtemp(tmpl);
        const char* o = std::getenv("XDG_RUNTIME_DIR");
        hadOld = o != nullptr;
        if (o) old = o;
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    ~PrivateRuntime() {
        if (hadOld)
            setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::string cmd = "rm -rf '" + dir + "'";
        (void)std::system(cmd.c_str());
    }
};

std::string linkTarget(const std::string& link) {
    char buf[PATH_MAX];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    return n < 0 ? "" : std::string(buf, static_cast<size_t>(n));
}

} // namespace

TEST(SimPort, RegistersThePtyAsAVirtualPort) {
    PrivateRuntime rt;
    Pty pty;
    std::string err;
    ASSERT_TRUE(pty.open(9600, &err)) << err;
    EXPECT_EQ(pty.slaveBaud(), 9600);
    {
        PortRegistry reg;
        ASSERT_TRUE(reg.registerPort("GPS sim/1", pty.slavePath(), &err)) << err;
        EXPECT_EQ(reg.linkPath(), rt.dir + "/starvane/ports/GPS sim-1");
        EXPECT_EQ(linkTarget(reg.linkPath()), pty.slavePath());
        struct stat st;
        ASSERT_EQ(stat((rt.dir + "/starvane/ports").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);

        // A second live device of the same name gets its own link.
        PortRegistry second;
        ASSERT_TRUE(second.registerPort("GPS sim/1", pty.slavePath(), &err));
        EXPECT_EQ(second.linkPath(), rt.dir + "/starvane/ports/GPS sim-1 2");
    }
    // Both links are gone with their owners.
    struct stat st;
    EXPECT_NE(lstat((rt.dir + "/starvane/ports/GPS sim-1").c_str(), &st), 0);
    EXPECT_NE(lstat((rt.dir + "/starvane/ports/GPS sim-1 2").c_str(), &st), 0);

    // A stale link (its device gone) is replaced.
    std::string stale = rt.dir + "/starvane/ports/Old";
    ASSERT_EQ(symlink("/dev/pts/does-not-exist", stale.c_str()), 0);
    PortRegistry reg;
    ASSERT_TRUE(reg.registerPort("Old", pty.slavePath(), &err));
    EXPECT_EQ(reg.linkPath(), stale);
    EXPECT_EQ(linkTarget(stale), pty.slavePath());
}

// What the program sets on its side of the line is visible to us.
TEST(SimPort, SeesTheBaudRateTheProgramSets) {
    Pty pty;
    std::string err;
    ASSERT_TRUE(pty.open(9600, &err)) << err;
    int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t;
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    cfsetispeed(&t, B4800);
    cfsetospeed(&t, B4800);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
    EXPECT_EQ(pty.slaveBaud(), 4800);
    // And bytes pass unchanged both ways.
    EXPECT_EQ(pty.write("$A\r\n\x80", 5), 5u);
    char buf[16];
    usleep(20000);
    EXPECT_EQ(::read(fd, buf, sizeof buf), 5);
    EXPECT_EQ(std::string(buf, 5), "$A\r\n\x80");
    ASSERT_EQ(::write(fd, "$B\r\n", 4), 4);
    usleep(20000);
    EXPECT_EQ(pty.read(buf, sizeof buf), 4);
    ::close(fd);
}
