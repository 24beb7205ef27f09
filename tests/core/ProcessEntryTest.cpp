// The whole run through the process entry: the window opens, and Ctrl+Q
// addressed to the main window or its close box ends the loop with exit
// code 0.
#include <gtest/gtest.h>

#include "core/Window.h"
#include "res/Resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

HWND mainWindow() {
    for (HWND h : winapi::topLevelWindows()) {
        WCHAR title[64];
        GetWindowTextW(h, title, 64);
        if (std::u16string(title) == u"Starvane") return h;
    }
    return nullptr;
}

int runEntry() {
    WCHAR empty[1] = {0};
    return wWinMain(winapi::mainInstance(), nullptr, empty, SW_SHOW);
}

} // namespace

TEST(ProcessEntry, CtrlQToTheMainWindowExitsWithZero) {
    bool sawWindow = false;
    QTimer::singleShot(100, [&] {
        HWND main = mainWindow();
        sawWindow = main != nullptr;
        ASSERT_TRUE(sawWindow);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
        QCoreApplication::sendEvent(winapi::findWindow(main)->client, &press);
    });
    EXPECT_EQ(runEntry(), 0);
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST(ProcessEntry, CloseBoxExitsWithZero) {
    QTimer::singleShot(100, [] {
        HWND main = mainWindow();
        ASSERT_NE(main, nullptr);
        winapi::findWindow(main)->frame->close(); // what the window manager's close box does
    });
    EXPECT_EQ(runEntry(), 0);
    EXPECT_EQ(mainWindow(), nullptr);
}
