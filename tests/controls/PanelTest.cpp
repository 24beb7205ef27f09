// The control panel driven as the operator drives it, with a main window that
// records the internal messages it receives and answers the sent ones.
#include <gtest/gtest.h>

#include <richedit.h>

#include "ControlsTestSupport.h"
#include "app/AppMessages.h"
#include "link/PortDiscovery.h"
#include "res/Resources.h"
#include "resource.h"
#include "ui/control/BackupDlg.h"

#include <QComboBox>
#include <map>
#include <set>

using namespace controlstest;
using testsupport::pumpMessages;

namespace {

class PanelTest : public testing::Test {
  protected:
    CBackupDlg panel;
    HWND main = nullptr;
    std::vector<UINT> received;     // internal messages, in arrival order
    std::map<UINT, LRESULT> result; // answers to sent messages (default 1)
    bool toggleOpens = true;        // a successful toggle flips the link state

    static LRESULT CALLBACK mainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<PanelTest*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && m >= WMU_TOGGLE_LINK && m <= WMU_FACTORY_RESET) {
            self->received.push_back(m);
            LRESULT r = self->result.count(m) ? self->result[m] : 1;
            if (m == WMU_TOGGLE_LINK && r) self->panel.m_bLinkOpen = !self->panel.m_bLinkOpen;
            return r;
        }
        return DefWindowProcW(h, m, w, l);
    }

    void SetUp() override {
        g_hInstance = winapi::mainInstance();
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = mainProc;
            wc.lpszClassName = u"PanelTestMain";
            RegisterClassExW(&wc);
            registered = true;
        }
        main = CreateWindowExW(0, u"PanelTestMain", u"", WS_OVERLAPPED | WS_CAPTION, 0, 0, 580, 600,
                               nullptr, nullptr, g_hInstance, nullptr);
        SetWindowLongPtrW(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ASSERT_EQ(panel.Create(main), 1);
        panel.m_hMainWnd = main;
        MoveWindow(panel.m_hWnd, 0, 0, 574, 306, TRUE);
        ShowWindow(main, SW_SHOW);
        pumpMessages();
    }
    void TearDown() override {
        DestroyWindow(main);
        pumpMessages();
    }

    HWND item(int id) { return GetDlgItem(panel.m_hWnd, id); }
    std::u16string itemText(int id) { return text(item(id)); }
    std::u16string console() { return text(panel.m_hConsole); }
    std::vector<UINT> take() {
        std::vector<UINT> r;
        r.swap(received);
        return r;
    }
    // Enabled state and text of every child, to see that nothing changed.
    std::vector<std::pair<bool, std::u16string>> snapshot() {
        std::vector<std::pair<bool, std::u16string>> s;
        for (HWND c : winapi::findWindow(panel.m_hWnd)->children)
            s.emplace_back(IsWindowEnabled(c) != FALSE, c == panel.m_hConsole ? u"" : text(c));
        return s;
    }
    std::vector<std::u16string> items(int id) {
        std::vector<std::u16string> out;
        for (LRESULT i = 0, n = SendMessageW(item(id), CB_GETCOUNT, 0, 0); i < n; ++i) {
            WCHAR buf[64] = {};
            SendMessageW(item(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
            out.push_back(buf);
        }
        return out;
    }
    void openLink() {
        click(item(IDC_START));
        ASSERT_EQ(panel.m_bLinkOpen, 1);
        take();
    }
};

} // namespace

TEST_F(PanelTest, InitialisedWithListsMovedBoxesAndConsole) {
    EXPECT_EQ(items(IDC_BAUD),
              (std::vector<std::u16string>{u"1200", u"2400", u"4800", u"9600", u"14400", u"19200",
                                           u"38400", u"57600", u"115200"}));
    EXPECT_EQ(SendMessageW(item(IDC_BAUD), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(itemText(IDC_BAUD), u"4800");
    // The ports found, then "Log File:"; the first entry is selected.
    std::vector<std::u16string> ports = items(IDC_PORT);
    ASSERT_EQ(ports.size(), static_cast<size_t>(g_nPortCount) + 1);
    EXPECT_EQ(ports.back(), u"Log File:");
    EXPECT_EQ(SendMessageW(item(IDC_PORT), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(itemText(IDC_PORT), ports.front());
    EXPECT_EQ(items(IDC_FILTER_FIELD), (std::vector<std::u16string>{u"Height", u"Speed"}));
    EXPECT_EQ(items(IDC_FILTER_OP), (std::vector<std::u16string>{u"<", u"=", u">"}));

    // The two boxes moved, their heights holding the open list.
    RECT rc;
    GetWindowRect(item(IDC_PORT), &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.right - rc.left, 440);
    EXPECT_EQ(rc.bottom - rc.top, 140);
    EXPECT_EQ(widgetOf(item(IDC_PORT))->height(), 24); // the template's 12 units
    GetWindowRect(item(IDC_BAUD), &rc);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.bottom - rc.top, 110);

    // The console.
    ASSERT_NE(panel.m_hConsole, nullptr);
    EXPECT_EQ(GetParent(panel.m_hConsole), panel.m_hWnd);
    EXPECT_EQ(GetDlgCtrlID(panel.m_hConsole), 0);
    GetWindowRect(panel.m_hConsole, &rc);
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 150);
    EXPECT_EQ(rc.right - rc.left, 530);
    EXPECT_EQ(rc.bottom - rc.top, 140);
    LONG style = GetWindowLongW(panel.m_hConsole, GWL_STYLE);
    EXPECT_EQ(style & ~WS_VISIBLE,
              static_cast<LONG>(WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL | ES_READONLY));
    EXPECT_TRUE(IsWindowVisible(panel.m_hConsole));
    EXPECT_EQ(console(), u"");
    EXPECT_EQ(panel.m_cfConsole.cbSize, 92u);
    EXPECT_GT(panel.m_cfConsole.yHeight, 0);

    // Exactly the visible controls of the template are shown.
    std::set<int> visible;
    for (HWND c : winapi::findWindow(panel.m_hWnd)->children)
        if (IsWindowVisible(c) && c != panel.m_hConsole && GetDlgCtrlID(c) != -1)
            visible.insert(GetDlgCtrlID(c));
    EXPECT_EQ(visible,
              (std::set<int>{IDC_PORT, IDC_BAUD, IDC_COLD_START, IDC_START, IDC_GET_VERSION,
                             IDC_CORE_VERSION, IDC_FW_VERSION, IDC_LOG_FILE, IDC_LOG_NAME, IDC_SEND,
                             IDC_COMMAND, IDC_FACTORY_RESET}));
    EXPECT_TRUE(received.empty());
}

TEST_F(PanelTest, RefusedStartShowsErrorAndChangesNothingElse) {
    result[WMU_TOGGLE_LINK] = 0;
    auto before = snapshot();
    click(item(IDC_START));
    EXPECT_EQ(take(), (std::vector<UINT>{WMU_TOGGLE_LINK}));
    EXPECT_EQ(console(), u"ComPort ERROR!!");
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(panel.m_bLinkOpen, 0);
}

TEST_F(PanelTest, LinkOpenAndClosedRules) {
    SetWindowTextW(item(IDC_CORE_VERSION), u"core");
    SetWindowTextW(item(IDC_FW_VERSION), u"fw");
    SetWindowTextW(panel.m_hConsole, u"ComPort ERROR!!");
    SendMessageW(item(IDC_LOG_FILE), BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(item(IDC_LOG_NAME), FALSE);

    const int lockedWhenOpen[] = {IDC_PORT, IDC_BAUD, IDC_SCAN};
    const int enabledWhenOpen[] = {IDC_COLD_START, IDC_FACTORY_RESET, IDC_VTG,  IDC_POWER_SAVE,
                                   IDC_WAAS,       IDC_GET_VERSION,   IDC_SEND, IDC_COMMAND};
    click(item(IDC_START));
    EXPECT_EQ(itemText(IDC_START), u"Close GPS");
    EXPECT_EQ(itemText(IDC_CORE_VERSION), u"");
    EXPECT_EQ(itemText(IDC_FW_VERSION), u"");
    EXPECT_EQ(console(), u""); // the earlier error is gone
    for (int id : enabledWhenOpen)
        EXPECT_TRUE(IsWindowEnabled(item(id))) << id;
    for (int id : lockedWhenOpen)
        EXPECT_FALSE(IsWindowEnabled(item(id))) << id;

    SetWindowTextW(item(IDC_CORE_VERSION), u"core 2");
    SetWindowTextW(panel.m_hConsole, u"line\r\n");
    click(item(IDC_START));
    EXPECT_EQ(itemText(IDC_START), u"Start GPS");
    for (int id : enabledWhenOpen)
        EXPECT_FALSE(IsWindowEnabled(item(id))) << id;
    for (int id : lockedWhenOpen)
        EXPECT_TRUE(IsWindowEnabled(item(id))) << id;
    EXPECT_EQ(itemText(IDC_CORE_VERSION), u"core 2"); // closing clears nothing
    EXPECT_EQ(console(), u"line\r\n");

    // Neither rule touches the record controls.
    EXPECT_EQ(SendMessageW(item(IDC_LOG_FILE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_LOG_NAME)));
    EXPECT_EQ(take(), (std::vector<UINT>{WMU_TOGGLE_LINK, WMU_TOGGLE_LINK}));
}

TEST_F(PanelTest, EachCheckBoxPostsOneMessageChosenByItsStateAfterTheClick) {
    openLink();
    struct Case {
        int id;
        UINT on, off;
    } cases[] = {{IDC_LOG_FILE, WMU_RECORD_START, WMU_RECORD_STOP},
                 {IDC_VTG, WMU_VTG_ON, WMU_VTG_OFF},
                 {IDC_POWER_SAVE, WMU_POWER_SAVE_ON, WMU_POWER_SAVE_OFF},
                 {IDC_WAAS, WMU_WAAS_ON, WMU_WAAS_OFF},
                 {IDC_AUTO, WMU_AUTO_SEND_START, WMU_AUTO_SEND_STOP}};
    for (const Case& c : cases) {
        for (UINT expected : {c.on, c.off, c.on}) {
            // The visible box is clicked with the mouse; the hidden ones, which
            // no operator can reach, by BM_CLICK.
            if (IsWindowVisible(item(c.id)))
                click(item(c.id));
            else
                SendMessageW(item(c.id), BM_CLICK, 0, 0);
            EXPECT_TRUE(received.empty()) << c.id; // posted, not sent
            pumpMessages();
            EXPECT_EQ(take(), std::vector<UINT>{expected}) << c.id;
        }
    }
}

TEST_F(PanelTest, CommandButtonsAndTheirErrorTexts) {
    openLink();
    SetWindowTextW(item(IDC_CORE_VERSION), u"core");
    struct Case {
        int id;
        UINT message;
        LRESULT answer;
        const char16_t* consoleAfter; // nullptr: unchanged
        bool clearsVersions;
    } cases[] = {
        {IDC_COLD_START, WMU_COLD_START, 1, nullptr, true},
        {IDC_COLD_START, WMU_COLD_START, 0, u"Reset ERROR!!", true},
        {IDC_FACTORY_RESET, WMU_FACTORY_RESET, 1, nullptr, true},
        {IDC_FACTORY_RESET, WMU_FACTORY_RESET, 0, u"Reset ERROR!!", true},
        {IDC_SEND, WMU_SEND_COMMAND, 1, nullptr, false},
        {IDC_SEND, WMU_SEND_COMMAND, 0, u"Send ERROR!!", false},
        {IDC_GET_VERSION, WMU_GET_VERSION, 0, nullptr, false}, // never reports
    };
    for (const Case& c : cases) {
        SetWindowTextW(panel.m_hConsole, u"before\r\n");
        SetWindowTextW(item(IDC_FW_VERSION), u"fw");
        SetWindowTextW(item(IDC_P_VERSION), u"p");
        result[c.message] = c.answer;
        click(item(c.id));
        EXPECT_EQ(take(), std::vector<UINT>{c.message}) << c.id;
        EXPECT_EQ(console(), c.consoleAfter ? c.consoleAfter : u"before\r\n") << c.id;
        EXPECT_EQ(itemText(IDC_FW_VERSION), c.clearsVersions ? u"" : u"fw") << c.id;
        EXPECT_EQ(itemText(IDC_P_VERSION), c.clearsVersions ? u"" : u"p") << c.id;
        EXPECT_EQ(itemText(IDC_CORE_VERSION), u"core") << c.id;
    }
}

TEST_F(PanelTest, TypedCommandAndRecordNameReachTheirFields) {
    openLink();
    type(item(IDC_COMMAND), "$PMTK000*32");
    EXPECT_EQ(itemText(IDC_COMMAND), u"$PMTK000*32");
    type(item(IDC_LOG_NAME), "run1");
    EXPECT_EQ(itemText(IDC_LOG_NAME), u"run1");
    // Typing and choosing in the panel's fields sends no internal message.
    click(item(IDC_BAUD));
    EXPECT_TRUE(take().empty());
}
