// Line handling with real control panel items: version texts, the WAAS check
// mark, the reset buttons, the console, and the record file.
#include <gtest/gtest.h>

#include <richedit.h>

#include <fstream>
#include <iterator>

#include "NmeaTestUtil.h"
#include "link/CommandWriter.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

namespace {

class PanelIntakeTest : public testing::Test {
  protected:
    NmeaState s;
    HWND hPanel = nullptr;

    void SetUp() override {
        hPanel = CreateWindowExW(0, TEXT("STATIC"), TEXT(""), WS_POPUP, 0, 0, 400, 300, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(hPanel, nullptr);
        Child(TEXT("STATIC"), IDC_CORE_VERSION, 0);
        Child(TEXT("STATIC"), IDC_FW_VERSION, 0);
        Child(TEXT("BUTTON"), IDC_WAAS, BS_AUTOCHECKBOX);
        Child(TEXT("BUTTON"), IDC_COLD_START, WS_DISABLED);
        Child(TEXT("BUTTON"), IDC_FACTORY_RESET, WS_DISABLED);
        s.wnd.m_ControlPanel.m_hWnd = hPanel;
        s.wnd.m_ControlPanel.m_hConsole =
            Child(TEXT("RICHEDIT"), 2000, ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    }
    void TearDown() override { DestroyWindow(hPanel); }

    HWND Child(LPCWSTR cls, int id, DWORD style) {
        return CreateWindowExW(0, cls, TEXT(""), WS_CHILD | style, 0, 0, 100, 20, hPanel,
                               (HMENU)(INT_PTR)id, nullptr, nullptr);
    }
    std::string ItemText(int id) {
        WCHAR buf[300] = {};
        GetWindowTextW(GetDlgItem(hPanel, id), buf, 300);
        return A(buf);
    }
    void Handle(const std::string& line) {
        EXPECT_EQ(s.wnd.HandleSentence(nullptr, W(line).c_str()), 1) << line;
    }
};

TEST_F(PanelIntakeTest, VersionRepliesAndResetButtons) {
    g_bResetPending = TRUE;
    Handle("$PMTK705,ABC_1.2,0001\r\n");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hPanel, IDC_COLD_START)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hPanel, IDC_FACTORY_RESET)));
    EXPECT_EQ(ItemText(IDC_CORE_VERSION), "ABC_1.2");

    Handle("$PXYZ,Version2:Z7*18\r\n");
    EXPECT_EQ(ItemText(IDC_FW_VERSION), "Z7");
    EXPECT_EQ(ItemText(IDC_CORE_VERSION), "ABC_1.2");

    Handle("$PMTK705,Version:1.0*53\r\n"); // both replies: the version text wins
    EXPECT_EQ(ItemText(IDC_CORE_VERSION), "1.0");
}

TEST_F(PanelIntakeTest, WaasRepliesSetTheCheckMark) {
    const HWND hWaas = GetDlgItem(hPanel, IDC_WAAS);
    Handle("$PXYZ,WAAS Enable*00\r\n");
    EXPECT_EQ(SendMessageW(hWaas, BM_GETCHECK, 0, 0), BST_CHECKED);
    Handle("$PXYZ,WAAS Disable*00\r\n");
    EXPECT_EQ(SendMessageW(hWaas, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(PanelIntakeTest, ConsoleIsEmptiedAfter2000Lines) {
    const HWND hConsole = s.wnd.m_ControlPanel.m_hConsole;
    for (int i = 0; i < 2000; i++)
        Handle("$GPGSV,1,1,00*79\r\n");
    EXPECT_EQ(SendMessageW(hConsole, EM_GETLINECOUNT, 0, 0), 2001); // and an empty last line
    Handle("$GPGSV,1,1,00*79\r\n");
    WCHAR buf[64] = {};
    GetWindowTextW(hConsole, buf, 64);
    EXPECT_EQ(A(buf), "$GPGSV,1,1,00*79\\r\\n");
}

TEST(RecordTest, WritesEachLineAsUtf16le) {
    NmeaState s;
    const std::string path = testing::TempDir() + "nmea_record_test.txt";
    const std::u16string wpath = W(path);
    g_hRecordFile = CreateFileW(wpath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(g_hRecordFile, INVALID_HANDLE_VALUE);
    const std::u16string lines[] = {
        W("$GPGSV,1,1,00*79\r\n"),
        u"$\xFF80\r\n",                  // a widened 8-bit byte
        W(std::string(300, 'x') + "\n"), // cut to 255 characters
    };
    g_bRecording = TRUE;
    for (const auto& line : lines)
        s.wnd.HandleSentence(nullptr, line.c_str());
    g_bRecording = FALSE;
    s.wnd.HandleSentence(nullptr, u"not recorded\r\n");
    CloseHandle(g_hRecordFile);
    g_hRecordFile = INVALID_HANDLE_VALUE;

    std::u16string expected = lines[0] + lines[1] + lines[2].substr(0, 255);
    std::string bytes;
    for (char16_t c : expected) {
        bytes += (char)(c & 0xFF);
        bytes += (char)(c >> 8);
    }
    std::ifstream in(path, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, bytes);
}

} // namespace
