// The modal About box; it lives entirely inside the constructor.
#pragma once

#include "app/Wnd.h"

class CAbout : public CWnd {
  public:
    explicit CAbout(HWND hParent);
    ~CAbout() override = default;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
