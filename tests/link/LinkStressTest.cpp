// Opening and closing links that receive at full speed, over and over: no
// crash, and never a line of an old link after a new one has been opened.
// STARVANE_LINK_STRESS_CYCLES raises the number of cycles.
#include "LinkFixture.h"

#include <atomic>
#include <thread>

using namespace linktest;

namespace {

// Writes lines made only of `fill` to the port as fast as it takes them.
class Flood {
  public:
    Flood(const Pty& pty, char fill) : fd_(pty.master) {
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
        line_ = std::string(60, fill) + "\r\n";
        thread_ = std::thread([this] { run(); });
    }
    ~Flood() {
        stop_ = true;
        thread_.join();
    }

  private:
    void run() {
        size_t at = 0;
        while (!stop_) {
            ssize_t n = write(fd_, line_.data() + at, line_.size() - at);
            if (n > 0) {
                at = (at + static_cast<size_t>(n)) % line_.size();
            } else {
                pollfd p = {fd_, POLLOUT, 0};
                poll(&p, 1, 5);
            }
        }
    }
    int fd_;
    std::string line_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

TEST_F(LinkTest, ReopeningBusyLinksNeverDeliversAnOldLine) {
    int cycles = 60;
    if (const char* env = std::getenv("STARVANE_LINK_STRESS_CYCLES")) cycles = std::atoi(env);
    Pty& a = addPort("Flood A");
    Pty& b = addPort("Flood B");
    enumerate();
    Flood floodA(a, 'A');
    Flood floodB(b, 'B');

    size_t delivered = 0;
    for (int i = 0; i < cycles; i++) {
        const Pty& port = i % 2 ? b : a;
        const char16_t mine = i % 2 ? u'B' : u'A';
        selectPort(port);
        lines_.clear();
        ASSERT_EQ(wnd_.ToggleLink(hMain_), 1) << "cycle " << i;
        // Let some lines through, as the message loop would.
        pumpUntil([&] { return lines_.size() >= 3; }, 500);
        for (const auto& line : lines_)
            ASSERT_EQ(line.find(mine == u'A' ? u'B' : u'A'), std::u16string::npos)
                << "cycle " << i << ": a line of the other link arrived";
        delivered += lines_.size();
        ASSERT_EQ(wnd_.ToggleLink(hMain_), 1) << "cycle " << i;
        // The one line a reader may still hand over after the close.
        testsupport::pumpMessages(0);
    }
    EXPECT_GT(delivered, static_cast<size_t>(cycles));
    std::printf("[ measure  ] %d open/close cycles, %zu lines delivered\n", cycles, delivered);
}
