// The widget behind a window of a registered class or a dialog: it forwards
// painting, closing and activation to the window's procedure.
#pragma once

#include <windows.h>

#include <QWidget>

namespace winapi {

class HostWidget : public QWidget {
  public:
    // `isFrame`: the outer widget of a top-level window (menu bar + client);
    // it takes close and activation but the client paints.
    HostWidget(HWND hwnd, QWidget* parent, bool isFrame);
    HWND hwnd() const { return m_hwnd; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    HWND m_hwnd;
    bool m_isFrame;
};

// Property on every widget that belongs to a window (frame, client, control).
constexpr const char* kHwndProperty = "winapi_hwnd";

} // namespace winapi
