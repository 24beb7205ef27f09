// The port list: present COM ports in enumeration order, then "Log File:";
// and the hidden rescan, which lists the port table again.
#include "LinkFixture.h"

using namespace linktest;

namespace {

// The friendly names of the devices the list should show, in order.
std::vector<std::u16string> expectedPorts() {
    std::vector<std::u16string> names;
    for (const auto& d : winapi::listSerialDevices())
        names.push_back(d.friendlyName());
    return names;
}

} // namespace

TEST_F(LinkTest, PortListShowsThePortsThenLogFile) {
    Pty& first = addPort("Bench Receiver One");
    Pty& second = addPort("Bench Receiver Two");
    enumerate();

    std::vector<std::u16string> expected = expectedPorts();
    const size_t ports = expected.size();
    expected.push_back(u"Log File:");
    const auto items = portItems();
    EXPECT_EQ(items, expected);
    EXPECT_EQ(g_nPortCount, ports);
    EXPECT_EQ(SendMessageW(item(IDC_PORT), CB_GETCURSEL, 0, 0), 0);
    // The virtual ports come after any hardware port, in the order of their names.
    ASSERT_GE(items.size(), 3u);
    EXPECT_NE(A(items[ports - 2]).find(first.slave + " (COM"), std::string::npos);
    EXPECT_NE(A(items[ports - 1]).find(second.slave + " (COM"), std::string::npos);

    // The rescan's table holds the same ports.
    for (size_t i = 0; i < ports && i < PORT_TABLE_SIZE; i++) {
        EXPECT_EQ(std::u16string(g_PortTable[i].szName), items[i].substr(0, 63));
        EXPECT_EQ(std::u16string(g_PortTable[i].szType), u"Serial Port");
        EXPECT_EQ(g_PortListIndex[i], static_cast<int>(i));
    }
}

TEST_F(LinkTest, RescanListsThePortTable) {
    // Enough ports to find the table's limit, whatever the machine has.
    for (int i = 0; i < 21; i++)
        addPort("Bench " + std::string(1, static_cast<char>('A' + i)));
    enumerate();
    const size_t ports = g_nPortCount;
    ASSERT_GT(ports, static_cast<size_t>(PORT_TABLE_SIZE));

    CBackupDlg& panel = wnd_.m_ControlPanel;
    RescanPorts(&panel);
    std::vector<std::u16string> items = portItems();
    ASSERT_EQ(items.size(), static_cast<size_t>(PORT_TABLE_SIZE) + 1); // never past the table
    for (int i = 0; i < PORT_TABLE_SIZE; i++)
        EXPECT_EQ(items[i], std::u16string(g_PortTable[i].szName) + u"  Serial Port");
    EXPECT_EQ(items.back(), u"Log File:");
    EXPECT_EQ(SendMessageW(item(IDC_PORT), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_START)));

    // A preferred receiver is selected, and then "Log File:" is not added.
    lstrcpynW(g_PortTable[3].szType, u"GPS Receiver", 64);
    RescanPorts(&panel);
    EXPECT_EQ(portItems().size(), static_cast<size_t>(PORT_TABLE_SIZE));
    EXPECT_EQ(SendMessageW(item(IDC_PORT), CB_GETCURSEL, 0, 0), 3);

    // Nothing happens while a link is open.
    panel.m_bLinkOpen = 1;
    SendMessageW(item(IDC_PORT), CB_RESETCONTENT, 0, 0);
    RescanPorts(&panel);
    EXPECT_TRUE(portItems().empty());
    panel.m_bLinkOpen = 0;

    // With no port counted the list is emptied and says so.
    g_nPortCount = 0;
    RescanPorts(&panel);
    EXPECT_TRUE(portItems().empty());
    WCHAR text[64] = {};
    GetWindowTextW(item(IDC_PORT), text, 64);
    EXPECT_EQ(std::u16string(text), u"No Com Port Find!!");
}
