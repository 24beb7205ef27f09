// The RICHEDIT console: insertion at the selection in the format set last,
// line count, replacing everything, and the default character format.
#include <gtest/gtest.h>

#include <richedit.h>

#include "ControlsTestSupport.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

using namespace controlstest;

namespace {

constexpr DWORD kConsoleStyle =
    WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;

class ConsoleTest : public testing::Test {
  protected:
    NotifyRecorder parent;
    HWND console = nullptr;

    void SetUp() override {
        console = CreateWindowExW(0, u"RICHEDIT", u"RichEdit", kConsoleStyle, 20, 150, 530, 140,
                                  parent.hwnd, nullptr, nullptr, nullptr);
        ASSERT_NE(console, nullptr);
        ShowWindow(console, SW_SHOW);
    }

    void insert(const char16_t* line) {
        SendMessageW(console, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line));
    }
    LRESULT lines() { return SendMessageW(console, EM_GETLINECOUNT, 0, 0); }
    // What SetConsoleColor hands the console: the default record with a colour.
    void setColor(COLORREF color) {
        CHARFORMATW cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE;
        cf.dwEffects = 0;
        cf.crTextColor = color;
        SendMessageW(console, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
    QTextDocument* doc() { return widgetAs<QPlainTextEdit>(console)->document(); }
    QColor colorOfLine(int n) {
        text(console); // the control's own reading puts waiting text in place
        QTextBlock b = doc()->findBlockByNumber(n);
        return b.begin().fragment().charFormat().foreground().color();
    }
};

} // namespace

TEST_F(ConsoleTest, CreatedAsReadOnlyNonWrappingTextArea) {
    auto* edit = widgetAs<QPlainTextEdit>(console);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(text(console), u"RichEdit"); // the window name is its first text
    EXPECT_EQ(parent.seen.size(), 0u);
}

TEST_F(ConsoleTest, InsertionsAfterEmptyingReadInOrder) {
    SetWindowTextW(console, u"ComPort ERROR!!");
    SetWindowTextW(console, u"");
    EXPECT_EQ(text(console), u"");
    EXPECT_EQ(lines(), 1);
    insert(u"$GPGGA,1*00\r\n");
    EXPECT_EQ(text(console), u"$GPGGA,1*00\r\n"); // that line alone
    EXPECT_EQ(lines(), 2);
    insert(u"$GPRMC,2*00\r\n");
    insert(u"$PSRF\r\n...OK\r\n");
    EXPECT_EQ(text(console), u"$GPGGA,1*00\r\n$GPRMC,2*00\r\n$PSRF\r\n...OK\r\n");
    EXPECT_EQ(lines(), 5);
}

TEST_F(ConsoleTest, EachInsertionTakesTheColourSetBeforeIt) {
    SetWindowTextW(console, u"");
    const COLORREF red = 0x0000FF, black = 0x000000, green = 0x00FF00;
    setColor(red);
    insert(u"bad\r\n");
    setColor(black);
    insert(u"good\r\n");
    setColor(green);
    insert(u"fast\r\n");
    setColor(red); // set last, but nothing inserted after it
    EXPECT_EQ(colorOfLine(0), QColor(255, 0, 0));
    EXPECT_EQ(colorOfLine(1), QColor(0, 0, 0));
    EXPECT_EQ(colorOfLine(2), QColor(0, 255, 0));

    // Read back through the control: select the first line.
    SendMessageW(console, EM_SETSEL, 0, 3);
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_EQ(cf.crTextColor, red);
    EXPECT_FALSE(cf.dwEffects & CFE_AUTOCOLOR);
}

TEST_F(ConsoleTest, DefaultFormatCarriesTheCharacterHeight) {
    CHARFORMATW cf{};
    cf.cbSize = 92;
    EXPECT_NE(SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)),
              0);
    EXPECT_EQ(cf.cbSize, 92u);
    EXPECT_EQ(cf.yHeight, 12 * 15); // the 12-pixel font in twips
    EXPECT_TRUE(cf.dwMask & CFM_SIZE);
    EXPECT_TRUE(cf.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(std::u16string(cf.szFaceName), u"System");

    // The height given back keeps the font size of inserted text.
    setColor(0x0000FF);
    insert(u"x\r\n");
    text(console);
    QFont f = doc()->findBlockByNumber(0).begin().fragment().charFormat().font();
    EXPECT_EQ(f.pixelSize(), 12);

    // A record of the wrong size is refused and left alone.
    CHARFORMATW small{};
    small.cbSize = 60;
    EXPECT_EQ(
        SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&small)),
        0);
    EXPECT_EQ(small.yHeight, 0);
    EXPECT_EQ(
        SendMessageW(console, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&small)),
        0);
}

TEST_F(ConsoleTest, LineCountGrowsPastTheEmptyingThreshold) {
    SetWindowTextW(console, u"");
    for (int i = 0; i < 2001; ++i) {
        setColor(i % 2 ? 0x0000FF : 0);
        insert(u"$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n");
    }
    EXPECT_EQ(lines(), 2002);
    SetWindowTextW(console, u"");
    insert(u"last\r\n");
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(text(console), u"last\r\n");
}

TEST_F(ConsoleTest, AppendedTextReachesTheViewWithinAFlushAndAMovedCaretIsRespected) {
    SetWindowTextW(console, u"");
    insert(u"a\r\n");
    insert(u"b\r\n");
    EXPECT_EQ(lines(), 3); // counted at once
    testsupport::pumpMessages(100);
    EXPECT_EQ(doc()->blockCount(), 3); // in the document without being asked for

    // The operator put the caret at the start: the next line goes there.
    SendMessageW(console, EM_SETSEL, 0, 0);
    insert(u"c\r\n");
    EXPECT_EQ(text(console), u"c\r\na\r\nb\r\n");
    EXPECT_EQ(lines(), 4);
}
