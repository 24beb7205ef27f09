// The layer's model of a window: the state Windows keeps for it, mirrored
// into a QWidget.
#pragma once

#include <windows.h>

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace winapi {

struct Window;

// Behaviour a built-in control class adds to its window: the widget it is
// shown with, and how window text reaches that widget.
class Control {
  public:
    virtual ~Control() = default;
    // The window text changed by code; show it without notifying anyone.
    virtual void textChanged(Window& w) {}
    // The window text as the user may have changed it in the widget.
    virtual void syncTextFromWidget(Window& w) {}
    // Places the widget for the window rectangle `r` (parent client
    // coordinates). A drop-down combo box, say, shows only its edit field
    // and opens its list to the rest of the height.
    virtual void applyGeometry(Window& w, QWidget* widget, const QRect& r) { widget->setGeometry(r); }
};

// Window class. Built-in classes supply a widget factory; registered classes
// get a plain host widget that forwards painting and input.
struct WindowClass {
    std::u16string name;
    WNDPROC proc = nullptr;
    UINT style = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HBRUSH background = nullptr;
    std::u16string menuName; // or "#<id>" for an integer resource
    // Built-in controls: creates the widget (and sets w.control).
    QWidget* (*createWidget)(Window& w, QWidget* parent) = nullptr;
    bool isDialog = false;
};

struct Window {
    HWND hwnd = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DLGPROC dlgProc = nullptr; // dialogs only
    HWND parent = nullptr;     // parent (child windows) or owner (top-level)
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string text;
    LONG_PTR userData = 0;
    LONG_PTR msgResult = 0; // DWLP_MSGRESULT of a dialog
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;
    RECT rect{}; // outer rectangle: parent client coordinates, or screen for top-level
    std::thread::id thread;
    std::vector<HWND> children; // creation order = z order = template order
    bool destroying = false;
    bool visible = false;
    bool enabled = true;

    // Dialogs.
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    HFONT font = nullptr;

    // The widget: for a top-level window the frame (menu bar + client), for a
    // child the widget itself. `client` is where children are placed.
    QPointer<QWidget> frame;
    QPointer<QWidget> client;
    std::unique_ptr<Control> control;

    bool isTopLevel() const { return (style & WS_CHILD) == 0; }
};

// Fixed frame metrics of a top-level window with a caption (what Windows
// would draw around the client area): 3-pixel fixed frame, 22-pixel caption,
// 20-pixel menu bar. A 580 x 600 window with a menu has a 574 x 552 client.
constexpr int kFrameBorder = 3;
constexpr int kCaptionHeight = 22;
constexpr int kMenuHeight = 20;

Window* findWindow(HWND hwnd);           // null when no such (live) window
Window* findWindowForWidget(const QWidget* widget); // nearest window up the parent chain
void registerBuiltinClass(const std::u16string& name, WNDPROC proc,
                          QWidget* (*createWidget)(Window&, QWidget*), bool isDialog = false);
WindowClass* findClass(LPCWSTR name);
// Every live top-level window, in creation order (for tests and tools).
std::vector<HWND> topLevelWindows();

// Text helpers.
std::u16string toU16(LPCWSTR s);
QString toQString(const std::u16string& s);
QString toQString(LPCWSTR s);
std::u16string fromQString(const QString& s);

// Rectangle of the client area relative to the outer rectangle.
RECT clientRectOf(const Window& w);

// Sends the paint message for a widget's window from inside its paint event.
void paintWindow(Window& w, QWidget* widget, const QRect& area);

} // namespace winapi
