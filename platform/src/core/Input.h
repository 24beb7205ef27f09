// Keyboard input as window messages: Qt key events addressed to a window's
// widget become WM_KEYDOWN/WM_KEYUP (WM_SYSKEY* with Alt) in the UI queue,
// so TranslateAcceleratorW and DispatchMessageW see them as on Windows; the
// default processing of a dispatched key message hands the original event
// back to the widget.
#pragma once

#include <windows.h>

namespace winapi {

// Installs the application-wide filter that turns key events into messages.
void installInputFilter();

// Called when a message is retrieved from the queue (key state bookkeeping).
void noteRetrieved(const MSG& msg);

// Marks the message being dispatched, so default processing can replay the
// Qt event behind a key message.
class DispatchScope {
  public:
    explicit DispatchScope(const MSG& msg);
    ~DispatchScope();

  private:
    const MSG* m_outer;
};

// Default processing of a key message: deliver the original Qt key event to
// the widget it was meant for. Returns true when there was one.
bool replayKey(HWND hwnd, UINT message, WPARAM wParam);

// Windows virtual-key code of a Qt key (0 when none).
int virtualKeyOf(int qtKey);

// Records the user moving the focus to a window (a click on a control).
void noteFocus(HWND hwnd);

} // namespace winapi
