#include "Termios2Probe.h"
#include "VirtualPortFixture.h"

#include <chrono>
#include <future>
#include <poll.h>
#include <termios.h>

using kerneltest::PseudoTerminal;
using kerneltest::VirtualPortTest;

namespace {

int64_t msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// A receiver on a pseudo-terminal, registered as a virtual port and opened
// through its COM name the way the link opens a port.
class SerialPortTest : public VirtualPortTest {
  protected:
    void SetUp() override {
        VirtualPortTest::SetUp();
        ASSERT_FALSE(pty_.slave.empty());
        addLink("Test Receiver", pty_.slave);
        com_ = comNumberOf(pty_.slave);
        ASSERT_GE(com_, 3);
        port_ = CreateFileW(comName(com_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(port_, INVALID_HANDLE_VALUE) << GetLastError();
    }
    void TearDown() override {
        if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    }

    // The link's time-outs: return what is waiting, else wait 100 ms for a byte.
    void setLinkTimeouts() {
        COMMTIMEOUTS t = {MAXDWORD, MAXDWORD, 100, MAXDWORD, 100};
        ASSERT_TRUE(SetCommTimeouts(port_, &t));
    }
    void send(const std::string& bytes) {
        ASSERT_EQ(write(pty_.master, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Waits (bounded) until the port has n bytes waiting.
    DWORD waitForQueue(DWORD n) {
        COMSTAT stat = {};
        for (int i = 0; i < 200; ++i) {
            DWORD errors = 0;
            if (ClearCommError(port_, &errors, &stat) && stat.cbInQue >= n) break;
            Sleep(5);
        }
        return stat.cbInQue;
    }

    PseudoTerminal pty_;
    int com_ = 0;
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

} // namespace

TEST_F(SerialPortTest, PortIsExclusive) {
    HANDLE second = CreateFileW(comName(com_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE absent = CreateFileW(comName(999).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(absent, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SerialPortTest, CommStateSetsRawEightNoneOneAtEachLinkRate) {
    const struct {
        DWORD rate;
        speed_t constant; // 0: no POSIX constant, checked through termios2
    } rates[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},    {14400, 0},
                 {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const auto& r : rates) {
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(port_, &dcb));
        dcb.BaudRate = r.rate;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = 1;
        dcb.fAbortOnError = 1;
        dcb.fParity = dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = 0;
        dcb.fOutX = dcb.fInX = dcb.fNull = 0;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        ASSERT_TRUE(SetCommState(port_, &dcb)) << r.rate;

        // The master side reads the slave's settings.
        struct termios t;
        ASSERT_EQ(tcgetattr(pty_.master, &t), 0);
        if (r.constant)
            EXPECT_EQ(cfgetispeed(&t), r.constant) << r.rate;
        else
            EXPECT_EQ(probeLineSpeed(pty_.master), r.rate);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << r.rate;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u) << r.rate;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << r.rate;
        EXPECT_EQ(t.c_oflag & OPOST, 0u) << r.rate;

        DCB back = {};
        ASSERT_TRUE(GetCommState(port_, &back));
        EXPECT_EQ(back.BaudRate, r.rate);
        EXPECT_EQ(back.ByteSize, 8);
        EXPECT_EQ(back.fAbortOnError, 1u);
    }
    DCB bad = {};
    ASSERT_TRUE(GetCommState(port_, &bad));
    bad.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port_, &bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SerialPortTest, ReadTimesOutAfterTheConstantWithNoByte) {
    setLinkTimeouts();
    char c;
    DWORD got = 7;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ReadFile(port_, &c, 1, &got, nullptr));
    int64_t waited = msSince(start);
    EXPECT_EQ(got, 0u);
    EXPECT_GE(waited, 90);   // it did wait for a byte ...
    EXPECT_LT(waited, 5000); // ... and came back

    COMMTIMEOUTS back = {};
    ASSERT_TRUE(GetCommTimeouts(port_, &back));
    EXPECT_EQ(back.ReadTotalTimeoutConstant, 100u);
}

TEST_F(SerialPortTest, OneByteReadsDeliverTheStreamInOrder) {
    setLinkTimeouts();
    const std::string sentence =
        "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60\r\n";
    send(sentence);
    std::string received;
    for (int misses = 0; received.size() < sentence.size() && misses < 20;) {
        char c;
        DWORD got = 0;
        ASSERT_TRUE(ReadFile(port_, &c, 1, &got, nullptr));
        if (got == 1)
            received += c;
        else
            ++misses;
    }
    EXPECT_EQ(received, sentence);
}

TEST_F(SerialPortTest, WritesReachThePeer) {
    setLinkTimeouts();
    const std::string command = "$PMTK605*31\r\n";
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(port_, command.data(), static_cast<DWORD>(command.size()), &written, nullptr));
    EXPECT_EQ(written, command.size());
    std::string seen;
    for (int i = 0; i < 100 && seen.size() < command.size(); ++i) {
        struct pollfd p = {pty_.master, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            char buf[64];
            ssize_t n = read(pty_.master, buf, sizeof buf);
            if (n > 0) seen.append(buf, static_cast<size_t>(n));
        }
    }
    EXPECT_EQ(seen, command);
}

TEST_F(SerialPortTest, PurgeDiscardsWaitingAndBufferedBytes) {
    setLinkTimeouts();
    send("abc");
    ASSERT_EQ(waitForQueue(3), 3u);
    char c = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(port_, &c, 1, &got, nullptr));
    ASSERT_EQ(got, 1u);
    EXPECT_EQ(c, 'a');
    EXPECT_EQ(waitForQueue(2), 2u); // "bc" still counted, wherever they wait

    EXPECT_TRUE(PurgeComm(port_, PURGE_TXCLEAR));
    EXPECT_TRUE(PurgeComm(port_, PURGE_RXCLEAR));
    COMSTAT stat = {};
    ASSERT_TRUE(ClearCommError(port_, nullptr, &stat));
    EXPECT_EQ(stat.cbInQue, 0u);
    ASSERT_TRUE(ReadFile(port_, &c, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);

    send("z");
    ASSERT_TRUE(ReadFile(port_, &c, 1, &got, nullptr));
    ASSERT_EQ(got, 1u);
    EXPECT_EQ(c, 'z');
}

TEST_F(SerialPortTest, ReadFailsPromptlyWhenTheDeviceVanishes) {
    // All-zero time-outs: a read would wait for ever on a live port.
    COMMTIMEOUTS blocking = {};
    ASSERT_TRUE(SetCommTimeouts(port_, &blocking));
    pty_.closeMaster();
    auto reader = std::async(std::launch::async, [this] {
        char c;
        DWORD got = 0;
        BOOL ok = ReadFile(port_, &c, 1, &got, nullptr);
        return std::make_pair(ok, GetLastError());
    });
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    auto [ok, error] = reader.get();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

TEST_F(SerialPortTest, ClosingTheHandleEndsAWaitingRead) {
    COMMTIMEOUTS blocking = {};
    ASSERT_TRUE(SetCommTimeouts(port_, &blocking));
    auto reader = std::async(std::launch::async, [this] {
        char c;
        DWORD got = 0;
        return ReadFile(port_, &c, 1, &got, nullptr);
    });
    Sleep(50);
    ASSERT_TRUE(CloseHandle(port_));
    port_ = INVALID_HANDLE_VALUE;
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
}

TEST(SerialOnFile, CommFunctionsRefuseAPlainFile) {
    HANDLE h = CreateFileW(u"Z:\\dev\\null", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD errors = 0;
    COMSTAT stat = {};
    EXPECT_FALSE(ClearCommError(h, &errors, &stat));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DCB dcb = {};
    EXPECT_FALSE(GetCommState(h, &dcb));
    EXPECT_FALSE(PurgeComm(h, PURGE_RXCLEAR));
    CloseHandle(h);
}
