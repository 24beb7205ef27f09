// Receiver commands: the exact bytes each one writes, its console note, and
// the reset steps.
#include "LinkFixture.h"

using namespace linktest;

namespace {

// "$...*hh": the XOR of the characters between '$' and '*' as two hex digits.
bool checksumIsRight(const std::string& sentence) {
    size_t star = sentence.find('*');
    if (sentence.empty() || sentence[0] != '$' || star == std::string::npos) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; i++)
        sum ^= static_cast<unsigned char>(sentence[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return sentence.substr(star + 1) == hex;
}

std::string withoutCr(const std::u16string& text) {
    std::string s;
    for (char16_t c : text)
        if (c != u'\r') s += static_cast<char>(c);
    return s;
}

} // namespace

TEST_F(LinkTest, EachCommandWritesItsSentenceAndNotesItInTheConsole) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    ASSERT_EQ(openPort(pty), 1);
    SetWindowTextW(item(IDC_CORE_VERSION), u"OLD");

    const struct {
        UINT message;
        const char* sentence;
    } fixed[] = {
        {WMU_POWER_SAVE_ON, "$PSRF150,0,300,1000,1*10"},
        {WMU_POWER_SAVE_OFF, "$PSRF150,0,1000,1000,0*23"},
        {WMU_WAAS_ON, "$PSRF151,01*0F"},
        {WMU_WAAS_OFF, "$PSRF151,00*0E"},
        {WMU_VTG_ON, "$PSRF103,05,00,01,01*20"},
        {WMU_VTG_OFF, "$PSRF103,05,00,00,01*21"},
        {WMU_GET_VERSION, "$PMTK605*31"},
    };
    for (const auto& c : fixed) {
        EXPECT_TRUE(checksumIsRight(c.sentence)) << c.sentence;
        SetWindowTextW(hConsole_, u"");
        EXPECT_EQ(wnd_.HandleMessage(hMain_, c.message, 0, 0), 1) << c.sentence;
        const std::string expected = std::string(c.sentence) + "\r\n";
        EXPECT_EQ(pty.receive(expected.size()), expected);
        EXPECT_EQ(withoutCr(consoleText()), "$PSRF\n...OK\n") << c.sentence;
    }
    WCHAR version[16] = {};
    GetWindowTextW(item(IDC_CORE_VERSION), version, 16);
    EXPECT_EQ(std::u16string(version), u""); // Get Version empties the field first

    // Typed commands go out as typed, one byte per unit (its low 8 bits).
    const std::u16string longCommand = u"$" + std::u16string(1021, u'L');
    const struct {
        std::u16string typed;
        std::string bytes;
    } typed[] = {
        {u"", "\r\n"},
        {u"$PTEST,\u00E9\u20AC*00", "$PTEST,\xE9\xAC*00\r\n"},
        {longCommand, A(longCommand) + "\r\n"}, // the field's full 1022 characters
    };
    for (const auto& c : typed) {
        SetWindowTextW(item(IDC_COMMAND), c.typed.c_str());
        SetWindowTextW(hConsole_, u"");
        EXPECT_EQ(wnd_.HandleMessage(hMain_, WMU_SEND_COMMAND, 0, 0), 1);
        EXPECT_EQ(pty.receive(c.bytes.size()), c.bytes) << A(c.typed).substr(0, 20);
        EXPECT_EQ(withoutCr(consoleText()), "Send Message\n...OK\n");
    }
    EXPECT_EQ(pty.drain(), "");

    // A sentence longer than the field is cut, never written past the buffer.
    EXPECT_EQ(WriteSentence((longCommand + u"MORE").c_str()), 1);
    EXPECT_EQ(pty.receive(1024), A(longCommand) + "\r\n");

    // Without a link a command writes nothing and still succeeds.
    ASSERT_EQ(CloseLink(), 1);
    EXPECT_EQ(wnd_.HandleMessage(hMain_, WMU_VTG_ON, 0, 0), 1);
    EXPECT_EQ(pty.drain(), "");
}

TEST_F(LinkTest, ResetDisablesItsButtonUntilTheNextLine) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    ASSERT_EQ(openPort(pty), 1);
    intake_ = true; // delivered lines go through the program's sentence intake

    const struct {
        UINT message;
        int button, other;
        const char* bytes;
    } resets[] = {
        {WMU_COLD_START, IDC_COLD_START, IDC_FACTORY_RESET, "$PMTK103*30\r\n"},
        {WMU_FACTORY_RESET, IDC_FACTORY_RESET, IDC_COLD_START, "$PMTK104*37\r\n"},
    };
    for (const auto& r : resets) {
        EXPECT_TRUE(checksumIsRight(std::string(r.bytes, std::strlen(r.bytes) - 2)));
        EnableWindow(item(IDC_COLD_START), TRUE);
        EnableWindow(item(IDC_FACTORY_RESET), TRUE);
        SetWindowTextW(hMain_, u"TTFF 31 s");
        SetWindowTextW(hConsole_, u"");
        wnd_.m_dwStartTick = 1234;
        wnd_.m_bFixTimeShown = 1;
        wnd_.m_DisplayPanel.m_FixText.szLatitude[0] = '5';

        EXPECT_EQ(wnd_.HandleMessage(hMain_, r.message, 0, 0), 1);
        EXPECT_EQ(pty.receive(std::strlen(r.bytes)), r.bytes);
        EXPECT_FALSE(IsWindowEnabled(item(r.button)));
        EXPECT_TRUE(IsWindowEnabled(item(r.other)));
        EXPECT_EQ(title(), u"Trovix");
        EXPECT_EQ(wnd_.m_dwStartTick, 0u);
        EXPECT_EQ(wnd_.m_bFixTimeShown, 0);
        EXPECT_EQ(wnd_.m_DisplayPanel.m_FixText.szLatitude[0], 0);
        EXPECT_EQ(withoutCr(consoleText()), "$PSRF\n...OK\n");
        EXPECT_TRUE(g_bResetPending);

        lines_.clear();
        pty.send("$GPTXT,hello*00\r\n");
        ASSERT_TRUE(waitForLines(1));
        EXPECT_TRUE(IsWindowEnabled(item(r.button)));
        EXPECT_FALSE(g_bResetPending);
    }
}
