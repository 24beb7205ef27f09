// The decoder: its line cutter and JSON text in-process, and the built
// starvane-decode run as a separate process on a hand-made log and on every
// shared receiver capture, each run bounded in time.
#include <gtest/gtest.h>

#include "JsonOut.h"
#include "LineCutter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- LineCutter

std::vector<std::u16string> Cut(const std::string& bytes, size_t chunk) {
    std::vector<std::u16string> lines;
    LineCutter cutter([&](const WCHAR* line) { lines.emplace_back(line); });
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); i += chunk)
        cutter.feed(data + i, std::min(chunk, bytes.size() - i));
    return lines;
}

TEST(LineCutterTest, CutsAsTheReaderDoes) {
    const std::string a510(510, 'A'), a511(511, 'A');
    struct Case {
        const char* name;
        std::string in;
        std::vector<std::u16string> out;
    } cases[] = {
        {"lone LF", "\n", {u"\n"}},
        {"CR LF kept", "$GPGGA,1*00\r\nxy\r\n", {u"$GPGGA,1*00\r\n", u"xy\r\n"}},
        {"510 characters and LF delivered", a510 + "\n", {std::u16string(510, u'A') + u"\n"}},
        {"511 without LF dropped with the LF after it", a511 + "\nB\n", {u"B\n"}},
        {"511 without LF dropped with the next byte", a511 + "XB\n", {u"B\n"}},
        {"last line without LF not delivered", "A\nBC", {u"A\n"}},
        {"high bytes sign-extended", "\xB0\x7F\xFF\n", {u"\uFFB0\u007F\uFFFF\n"}},
        {"NUL ends the delivered text early", std::string("a\0b\n", 4), {u"a"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cut(c.in, c.in.size() ? c.in.size() : 1), c.out) << c.name;
        // The same bytes in one-byte pieces: a line may span reads.
        EXPECT_EQ(Cut(c.in, 1), c.out) << c.name << " (byte by byte)";
    }
}

TEST(JsonOutTest, EscapesEverythingOutsidePrintableAscii) {
    EXPECT_EQ(jsonString(TEXT("a\"b\\c\r\n")), "\"a\\\"b\\\\c\\u000d\\u000a\"");
    EXPECT_EQ(jsonString(TEXT("48`07.0380'")), "\"48`07.0380'\"");
    const WCHAR high[] = {0xFFB0, 0x7F, 0};
    EXPECT_EQ(jsonString(high), "\"\\uffb0\\u007f\"");
    EXPECT_EQ(jsonString(nullptr), "\"\"");
}

// ---------------------------------------------------------------- the tool

struct RunResult {
    int exitCode = -1; // -1: killed at the deadline or by a signal
    bool timedOut = false;
    std::string out;
};

fs::path TempPath(const std::string& name) {
    return fs::path(testing::TempDir()) / ("decode_" + std::to_string(getpid()) + "_" + name);
}

// Runs starvane-decode with `args`, standard input from `input` (a path),
// the environment plus `extraEnv`, and kills it after `seconds`.
RunResult RunTool(const std::vector<std::string>& args, const fs::path& input,
                  const std::vector<std::string>& extraEnv, int seconds) {
    RunResult r;
    const fs::path outPath = TempPath("out.txt");
    std::vector<std::string> argStore = {STARVANE_DECODE_TOOL};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore = extraEnv;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        const int in = open(input.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!r.timedOut && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    std::ifstream f(outPath, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    r.out = ss.str();
    fs::remove(outPath);
    return r;
}

fs::path WriteInput(const std::string& name, const std::string& bytes) {
    const fs::path p = TempPath(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// One JSON object per line; the second line is decoded (the first only
// stamps the start of the time to first fix), in a UTC+2 zone.
TEST(DecodeToolTest, PrintsTheWholeResultOfAnRmcLine) {
    const std::string rmc =
        "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60\r\n";
    const fs::path in = WriteInput("rmc.nmea", rmc + rmc);
    RunResult r = RunTool({}, in, {"TZ=Etc/GMT-2"}, 60);
    fs::remove(in);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[1],
              "{\"n\":2,\"result\":1,\"color\":\"0x000000\",\"title\":\"Trovix\",\"fix\":{"
              "\"date\":\"2023/06/15\",\"time\":\"10:15:30\",\"direction\":\"123.4\","
              "\"speed\":\"100 Km/hr\",\"status\":\"3D\",\"hdop\":\"\",\"pdop\":\"\","
              "\"ns\":\"N\",\"lat\":\"48`07.0380'\",\"ew\":\"E\",\"lon\":\"011`31.5678'\"},"
              "\"sats\":[]}");
}

TEST(DecodeToolTest, RejectsUnknownOptionsAndMissingFiles) {
    const fs::path empty = WriteInput("empty.nmea", "");
    EXPECT_EQ(RunTool({"--bogus"}, empty, {}, 60).exitCode, 2);
    EXPECT_EQ(RunTool({"--final", "--stats"}, empty, {}, 60).exitCode, 2);
    EXPECT_EQ(RunTool({"/nonexistent/log.nmea"}, empty, {}, 60).exitCode, 1);
    fs::remove(empty);
}

// ---------------------------------------------------------------- replay

fs::path LogDir() {
    return fs::path(STARVANE_SHARED_DIR) / "nmea-logs";
}

std::vector<std::string> LogFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(LogDir(), ec))
        if (e.is_regular_file() && e.path().extension() == ".nmea")
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    if (names.empty()) names.push_back(""); // reported as skipped
    return names;
}

long StatField(const std::string& json, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"" + key + "\":(\\d+)"))) return -1;
    return std::stol(m[1]);
}

class ReplayTest : public testing::TestWithParam<std::string> {};

// Every capture goes through the whole intake without a crash, a sanitizer
// report or a hang, and the summary adds up.
TEST_P(ReplayTest, DecodesTheCaptureToASaneSummary) {
    if (GetParam().empty()) GTEST_SKIP() << "no captures in " << LogDir();
    const fs::path log = LogDir() / GetParam();
    std::ifstream f(log, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const long lineFeeds = std::count(bytes.begin(), bytes.end(), '\n');

    const fs::path empty = WriteInput("stdin.nmea", "");
    RunResult r = RunTool({"--stats", log.string()}, empty, {}, 90);
    fs::remove(empty);
    ASSERT_FALSE(r.timedOut) << GetParam() << " did not finish in time";
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const long lines = StatField(r.out, "lines");
    EXPECT_GT(lines, 0) << r.out;
    // Lines of 511 characters without a line feed swallow the next byte, so
    // a capture can deliver fewer lines than it has line feeds, never more.
    EXPECT_LE(lines, lineFeeds) << r.out;
    EXPECT_EQ(StatField(r.out, "red") + StatField(r.out, "black") + StatField(r.out, "green"),
              lines)
        << r.out;
    EXPECT_LE(StatField(r.out, "rmc") + StatField(r.out, "gsa") + StatField(r.out, "gsv"), lines)
        << r.out;
}

std::string ParamName(const testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name.empty() ? "none" : name;
}

INSTANTIATE_TEST_SUITE_P(SharedLogs, ReplayTest, testing::ValuesIn(LogFiles()), ParamName);

} // namespace
