// Accessible names of the control panel's controls, as a screen reader
// finds them.
#include <gtest/gtest.h>

#include "app/BaseWnd.h"
#include "core/Window.h"
#include "res/Resources.h"
#include "resource.h"
#include "TestSupport.h"

TEST(Accessibility, ControlsAreNamedByTheirTextOrTheirLabel) {
    CBaseWnd wnd;
    ASSERT_EQ(wnd.Create(winapi::mainInstance(), SW_SHOW), 1);
    HWND panel = wnd.m_ControlPanel.m_hWnd;
    struct {
        int id;
        const char* name;
    } cases[] = {
        {IDC_PORT, "COM Port"},          {IDC_BAUD, "Baud Rate"},   {IDC_START, "Start GPS"},
        {IDC_CORE_VERSION, "Core Version"}, {IDC_FW_VERSION, "FW Version"}, {IDC_LOG_FILE, "Log File"},
        {IDC_LOG_NAME, "Log File"},      {IDC_COMMAND, "Send"},      {IDC_COLD_START, "Cold Start"},
    };
    for (const auto& c : cases) {
        winapi::Window* w = winapi::findWindow(GetDlgItem(panel, c.id));
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->frame->accessibleName().toStdString(), c.name) << c.id;
    }
    DestroyWindow(wnd.m_hWnd);
    testsupport::runUntilQuit();
}
