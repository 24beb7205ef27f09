// The program's windows as a screen reader finds them: names, roles, states
// and which controls are there at all, read through Qt's accessibility
// interfaces (what the accessibility bus serves).
#include <gtest/gtest.h>

#include "app/BaseWnd.h"
#include "core/Window.h"
#include "res/Resources.h"
#include "resource.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QWidget>

namespace {

QAccessibleInterface* accessibleOf(HWND hwnd) {
    winapi::Window* w = winapi::findWindow(hwnd);
    return w && w->frame ? QAccessible::queryAccessibleInterface(w->frame.data()) : nullptr;
}

std::string nameOf(HWND hwnd) {
    QAccessibleInterface* a = accessibleOf(hwnd);
    return a ? a->text(QAccessible::Name).toStdString() : "<none>";
}

// The accessible children of a window, as the tree shows them.
std::vector<QObject*> childObjects(HWND hwnd) {
    std::vector<QObject*> out;
    QAccessibleInterface* a = accessibleOf(hwnd);
    for (int i = 0; a && i < a->childCount(); ++i) {
        QAccessibleInterface* c = a->child(i);
        EXPECT_NE(c, nullptr) << i;
        if (c) {
            EXPECT_EQ(a->indexOfChild(c), i);
            out.push_back(c->object());
        }
    }
    return out;
}

bool listed(HWND parent, HWND child) {
    winapi::Window* w = winapi::findWindow(child);
    auto kids = childObjects(parent);
    return w && std::find(kids.begin(), kids.end(), w->frame.data()) != kids.end();
}

class Accessibility : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(wnd.Create(winapi::mainInstance(), SW_SHOW), 1);
        panel = wnd.m_ControlPanel.m_hWnd;
    }
    void TearDown() override {
        DestroyWindow(wnd.m_hWnd);
        testsupport::runUntilQuit();
    }
    CBaseWnd wnd;
    HWND panel = nullptr;
};

} // namespace

// Buttons, check boxes and labels by their own text; edit fields and combo
// boxes by the label (or button) that introduces them, the combo boxes whose
// labels come after them in the template included.
TEST_F(Accessibility, ControlsAreNamedByTheirTextOrTheirLabel) {
    struct {
        int id;
        QAccessible::Role role;
        const char* name;
    } cases[] = {
        {IDC_PORT, QAccessible::ComboBox, "COM Port"},
        {IDC_BAUD, QAccessible::ComboBox, "Baud Rate"},
        {IDC_START, QAccessible::Button, "Start GPS"},
        {IDC_COLD_START, QAccessible::Button, "Cold Start"},
        {IDC_CORE_VERSION, QAccessible::EditableText, "Core Version"},
        {IDC_FW_VERSION, QAccessible::EditableText, "FW Version"},
        {IDC_LOG_FILE, QAccessible::CheckBox, "Log File"},
        {IDC_LOG_NAME, QAccessible::EditableText, "Log File"},
        {IDC_COMMAND, QAccessible::EditableText, "Send"},
    };
    for (const auto& c : cases) {
        QAccessibleInterface* a = accessibleOf(GetDlgItem(panel, c.id));
        ASSERT_NE(a, nullptr) << c.id;
        EXPECT_EQ(a->role(), c.role) << c.id;
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), c.name) << c.id;
    }
    // A combo box's value is its text; its edit field answers to its name.
    QAccessibleInterface* port = accessibleOf(GetDlgItem(panel, IDC_BAUD));
    EXPECT_EQ(port->text(QAccessible::Value).toStdString(), "4800");
    ASSERT_EQ(port->childCount(), 2);
    EXPECT_EQ(port->child(1)->text(QAccessible::Name).toStdString(), "Baud Rate");
    EXPECT_TRUE(port->state().expandable);

    // A button renamed by code is heard by its new name.
    SetWindowTextW(GetDlgItem(panel, IDC_START), TEXT("Close GPS"));
    EXPECT_EQ(nameOf(GetDlgItem(panel, IDC_START)), "Close GPS");
}

// Hidden controls are not in the tree; shown later they are, hidden again
// they leave it.
TEST_F(Accessibility, HiddenControlsStayOutOfTheTree) {
    for (int id : {IDC_SCAN, IDC_VTG, IDC_POWER_SAVE, IDC_WAAS, IDC_AUTO_INTERVAL, IDC_FILTER_FIELD,
                   IDC_FILTER_OP, IDC_SET_FILTER, IDC_P_VERSION, IDC_SNR_OFFSET, IDC_AUTO})
        EXPECT_FALSE(listed(panel, GetDlgItem(panel, id))) << id;
    for (int id : {IDC_PORT, IDC_START, IDC_COLD_START, IDC_CORE_VERSION, IDC_COMMAND})
        EXPECT_TRUE(listed(panel, GetDlgItem(panel, id))) << id;
    EXPECT_TRUE(listed(panel, wnd.m_ControlPanel.m_hConsole));

    HWND vtg = GetDlgItem(panel, IDC_VTG);
    ShowWindow(vtg, SW_SHOW);
    EXPECT_TRUE(listed(panel, vtg));
    EXPECT_EQ(nameOf(vtg), "VTG");
    ShowWindow(vtg, SW_HIDE);
    EXPECT_FALSE(listed(panel, vtg));
}

// The main window is a frame named by its title, also after the title
// changes; the console is read-only multi-line text whose text can be read.
TEST_F(Accessibility, MainWindowAndConsole) {
    QAccessibleInterface* main = accessibleOf(wnd.m_hWnd);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->role(), QAccessible::Window);
    WCHAR title[64];
    GetWindowTextW(wnd.m_hWnd, title, 64);
    EXPECT_EQ(main->text(QAccessible::Name).toStdString(), testsupport::utf8(title));
    SetWindowTextW(wnd.m_hWnd, TEXT("Trovix"));
    EXPECT_EQ(main->text(QAccessible::Name).toStdString(), "Trovix");

    HWND console = wnd.m_ControlPanel.m_hConsole;
    QAccessibleInterface* a = accessibleOf(console);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::EditableText);
    EXPECT_TRUE(a->state().readOnly);
    EXPECT_TRUE(a->state().multiLine);
    SetWindowTextW(console, TEXT("$GPRMC,1\r\nComPort ERROR!!"));
    ASSERT_NE(a->textInterface(), nullptr);
    EXPECT_EQ(a->textInterface()->text(0, a->textInterface()->characterCount()).toStdString(),
              "$GPRMC,1\nComPort ERROR!!");
}
