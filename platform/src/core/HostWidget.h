// The widget behind a window of a registered class or a dialog: it forwards
// painting, closing and activation to the window's procedure.
#pragma once

#include <windows.h>

#include <QBasicTimer>
#include <QWidget>
#include <chrono>

namespace winapi {

class HostWidget : public QWidget {
  public:
    // `isFrame`: the outer widget of a top-level window (menu bar + client);
    // it takes close and activation but the client paints.
    HostWidget(HWND hwnd, QWidget* parent, bool isFrame);
    HWND hwnd() const { return m_hwnd; }

    // Top-level windows repaint at most once per frame interval: updates
    // asked for within one interval are painted together when it ends.
    static constexpr std::chrono::milliseconds kFrameInterval{33};

  protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void flushUpdates();

    HWND m_hwnd;
    bool m_isFrame;
    std::chrono::steady_clock::time_point m_lastFlush{};
    QBasicTimer m_flushTimer;
};

// Property on every widget that belongs to a window (frame, client, control).
constexpr const char* kHwndProperty = "winapi_hwnd";

} // namespace winapi
