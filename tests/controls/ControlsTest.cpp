// The layer's BUTTON, EDIT and COMBOBOX controls as the system relies on
// them: the user's actions notify the parent once, changes made by code never
// do, and the combo box lists behave as on Windows.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace controlstest;
using testsupport::pumpMessages;

TEST(ButtonControl, ClickNotifiesOnceAfterTheAutomaticBoxToggled) {
    NotifyRecorder parent;
    HWND push = parent.child(u"BUTTON", 7, BS_PUSHBUTTON);
    HWND box = parent.child(u"BUTTON", 8, BS_AUTOCHECKBOX, 10, 50);
    // The state the parent reads while handling the notification.
    std::vector<LRESULT> stateSeen;
    QObject::connect(widgetAs<QCheckBox>(box), &QCheckBox::clicked,
                     [&] { stateSeen.push_back(SendMessageW(box, BM_GETCHECK, 0, 0)); });

    click(push);
    click(box);
    click(box);
    EXPECT_EQ(parent.seen, (std::vector<Notification>{
                               {7, BN_CLICKED, push}, {8, BN_CLICKED, box}, {8, BN_CLICKED, box}}));
    EXPECT_EQ(stateSeen, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED}));
    EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // BM_CLICK is a click as the user makes it.
    parent.seen.clear();
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(parent.seen, (std::vector<Notification>{{8, BN_CLICKED, box}}));

    // A disabled button ignores the user.
    parent.seen.clear();
    EnableWindow(push, FALSE);
    click(push);
    EXPECT_TRUE(parent.seen.empty());
}

TEST(Controls, ChangesMadeByCodeNeverNotify) {
    NotifyRecorder parent;
    HWND box = parent.child(u"BUTTON", 1, BS_AUTOCHECKBOX);
    HWND edit = parent.child(u"EDIT", 2, WS_BORDER | ES_AUTOHSCROLL, 10, 40);
    HWND combo = parent.child(u"COMBOBOX", 3, CBS_DROPDOWN | WS_VSCROLL, 10, 80, 120, 100);
    HWND button = parent.child(u"BUTTON", 4, BS_PUSHBUTTON, 10, 200);

    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    SetWindowTextW(box, u"Box");
    SetWindowTextW(button, u"Close GPS");
    SetWindowTextW(edit, u"typed by code");
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one"));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"two"));
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SetWindowTextW(combo, u"edited");
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    pumpMessages();
    EXPECT_TRUE(parent.seen.empty());
    EXPECT_EQ(text(edit), u"typed by code");
    EXPECT_EQ(text(button), u"Close GPS");
    EXPECT_EQ(widgetAs<QAbstractButton>(button)->text(), QStringLiteral("Close GPS"));
}

TEST(EditControl, TypingReachesTheFieldThroughTheLoopAndNotifies) {
    NotifyRecorder parent;
    HWND edit = parent.child(u"EDIT", 5, WS_BORDER | ES_AUTOHSCROLL);
    HWND readOnly = parent.child(u"EDIT", 6, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 10, 50);
    type(edit, "ab1");
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(text(edit), u"ab1");
    ASSERT_FALSE(parent.seen.empty());
    EXPECT_EQ(parent.seen.back(), (Notification{5, EN_CHANGE, edit}));

    parent.seen.clear();
    type(readOnly, "x");
    EXPECT_EQ(GetFocus(), readOnly); // read-only fields still take the focus
    EXPECT_EQ(text(readOnly), u"");
    EXPECT_TRUE(parent.seen.empty());
}

namespace {

std::vector<std::u16string> items(HWND combo) {
    std::vector<std::u16string> out;
    LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        WCHAR buf[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

} // namespace

TEST(ComboBoxControl, AddStringReturnsIndexAndSortsSortedBoxes) {
    struct Case {
        DWORD style;
        std::vector<std::u16string> added;
        std::vector<LRESULT> indexes;
        std::vector<std::u16string> list;
    } cases[] = {
        {CBS_SORT, {u"Speed", u"Height"}, {0, 0}, {u"Height", u"Speed"}},
        {CBS_SORT, {u"=", u">", u"<"}, {0, 1, 0}, {u"<", u"=", u">"}},
        {CBS_SORT,
         {u"b", u"A", u"a", u"C"},
         {0, 0, 1, 3},
         {u"A", u"a", u"b", u"C"}}, // case ignored
        {0, {u"4800", u"115200", u"1200"}, {0, 1, 2}, {u"4800", u"115200", u"1200"}},
    };
    NotifyRecorder parent;
    for (const Case& c : cases) {
        HWND combo =
            parent.child(u"COMBOBOX", 9, CBS_DROPDOWN | WS_VSCROLL | c.style, 10, 10, 100, 120);
        std::vector<LRESULT> indexes;
        for (const auto& s : c.added)
            indexes.push_back(
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
        EXPECT_EQ(indexes, c.indexes);
        EXPECT_EQ(items(combo), c.list);
        // Adding selects nothing, as on Windows.
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(text(combo), u"");
        DestroyWindow(combo);
    }
    EXPECT_TRUE(parent.seen.empty());
}

TEST(ComboBoxControl, SelectionTextsAndErrors) {
    NotifyRecorder parent;
    HWND combo = parent.child(u"COMBOBOX", 9, CBS_DROPDOWN | WS_VSCROLL, 10, 10, 100, 120);
    for (auto s : {u"1200", u"2400", u"4800"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(text(combo), u"4800");
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 0, 0), 4);

    WCHAR buf[16] = u"unchanged";
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(buf)), CB_ERR);
    EXPECT_EQ(
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buf)),
        CB_ERR);
    EXPECT_EQ(std::u16string(buf), u"unchanged");
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 3, 0), CB_ERR);

    // An index out of range clears the selection.
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    // The edit field's text is the window text, whatever the list holds.
    SetWindowTextW(combo, u"COM9");
    EXPECT_EQ(text(combo), u"COM9");

    EXPECT_EQ(SendMessageW(combo, CB_RESETCONTENT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(text(combo), u"");
    EXPECT_TRUE(parent.seen.empty());
}

TEST(ComboBoxControl, UserChoiceNotifiesSelectionChange) {
    NotifyRecorder parent;
    HWND combo = parent.child(u"COMBOBOX", 9, CBS_DROPDOWN | WS_VSCROLL, 10, 10, 100, 120);
    for (auto s : {u"1200", u"2400", u"4800"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    click(combo);
    parent.seen.clear();
    key(combo, Qt::Key_Down);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(text(combo), u"2400");
    EXPECT_EQ(parent.seen, (std::vector<Notification>{{9, CBN_SELCHANGE, combo}}));
}

TEST(ComboBoxControl, WindowHeightIncludesTheOpenList) {
    NotifyRecorder parent;
    // Created with the height of its field (24 pixels), as a template does.
    HWND combo = parent.child(u"COMBOBOX", 9, CBS_DROPDOWN | WS_VSCROLL, 100, 0, 57, 24);
    for (int i = 0; i < 20; ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"COM"));
    MoveWindow(combo, 100, 0, 440, 140, TRUE);
    RECT rc;
    GetWindowRect(combo, &rc);
    EXPECT_EQ(rc.bottom - rc.top, 140);
    QComboBox* box = widgetAs<QComboBox>(combo);
    EXPECT_EQ(box->geometry(), QRect(100, 0, 440, 24));
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(box->view()->window()->height(), 140 - 24);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST(Controls, DisablingTheFocusedControlLeavesTheFocusNowhere) {
    NotifyRecorder parent;
    HWND button = parent.child(u"BUTTON", 1, BS_PUSHBUTTON);
    HWND next = parent.child(u"EDIT", 2, WS_BORDER, 10, 50);
    click(button);
    ASSERT_EQ(GetFocus(), button);
    EnableWindow(button, FALSE);
    pumpMessages();
    EXPECT_EQ(GetFocus(), nullptr); // not passed on to the edit field
    EXPECT_FALSE(widgetOf(next)->hasFocus());
}
