// Dialogs from DLGTEMPLATEEX resources: modeless (CreateDialogParamW) and
// modal (DialogBoxParamW), with the dialog manager's order: WM_SETFONT to the
// dialog, then the controls, then WM_INITDIALOG.
#include "core/DialogTemplate.h"

#include "core/Input.h"
#include "core/MessageQueue.h"
#include "core/Window.h"
#include "res/Resources.h"

#include <QComboBox>
#include <QLineEdit>

namespace winapi {

namespace {

uint16_t rd16(const uint8_t*& p, const uint8_t* end, bool& ok) {
    if (end - p < 2) {
        ok = false;
        return 0;
    }
    uint16_t v = static_cast<uint16_t>(p[0] | (p[1] << 8));
    p += 2;
    return v;
}

uint32_t rd32(const uint8_t*& p, const uint8_t* end, bool& ok) {
    uint32_t lo = rd16(p, end, ok);
    uint32_t hi = rd16(p, end, ok);
    return lo | (hi << 16);
}

void align4(const uint8_t*& p, const uint8_t* base) {
    size_t off = static_cast<size_t>(p - base);
    p += (4 - (off & 3)) & 3;
}

// An sz_Or_Ord field: 0 (none), FFFF + ordinal, or a NUL-terminated string.
void readSzOrOrd(const uint8_t*& p, const uint8_t* end, bool& ok, uint16_t& ordinal,
                 std::u16string& text) {
    uint16_t first = rd16(p, end, ok);
    if (!ok || first == 0) return;
    if (first == 0xFFFF) {
        ordinal = rd16(p, end, ok);
        return;
    }
    text.push_back(static_cast<char16_t>(first));
    while (ok) {
        uint16_t c = rd16(p, end, ok);
        if (!c) break;
        text.push_back(static_cast<char16_t>(c));
    }
}

std::u16string readSz(const uint8_t*& p, const uint8_t* end, bool& ok) {
    std::u16string s;
    while (ok) {
        uint16_t c = rd16(p, end, ok);
        if (!c) break;
        s.push_back(static_cast<char16_t>(c));
    }
    return s;
}

} // namespace

bool parseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    bool ok = true;
    uint16_t version = rd16(p, end, ok);
    uint16_t signature = rd16(p, end, ok);
    if (!ok || version != 1 || signature != 0xFFFF) return false; // only DLGTEMPLATEEX
    out->helpId = rd32(p, end, ok);
    out->exStyle = rd32(p, end, ok);
    out->style = rd32(p, end, ok);
    uint16_t count = rd16(p, end, ok);
    out->x = static_cast<int16_t>(rd16(p, end, ok));
    out->y = static_cast<int16_t>(rd16(p, end, ok));
    out->cx = static_cast<int16_t>(rd16(p, end, ok));
    out->cy = static_cast<int16_t>(rd16(p, end, ok));
    uint16_t ord = 0;
    std::u16string name;
    readSzOrOrd(p, end, ok, ord, name); // menu
    readSzOrOrd(p, end, ok, ord, name); // class
    out->title = readSz(p, end, ok);
    if (out->style & DS_SETFONT) {
        out->pointSize = rd16(p, end, ok);
        out->weight = rd16(p, end, ok);
        rd16(p, end, ok); // italic, charset
        out->typeface = readSz(p, end, ok);
    }
    for (uint16_t i = 0; ok && i < count; ++i) {
        align4(p, data);
        DialogItem item;
        item.helpId = rd32(p, end, ok);
        item.exStyle = rd32(p, end, ok);
        item.style = rd32(p, end, ok);
        item.x = static_cast<int16_t>(rd16(p, end, ok));
        item.y = static_cast<int16_t>(rd16(p, end, ok));
        item.cx = static_cast<int16_t>(rd16(p, end, ok));
        item.cy = static_cast<int16_t>(rd16(p, end, ok));
        item.id = static_cast<int32_t>(rd32(p, end, ok));
        readSzOrOrd(p, end, ok, item.classAtom, item.className);
        uint16_t titleOrd = 0;
        readSzOrOrd(p, end, ok, titleOrd, item.title);
        uint16_t extra = rd16(p, end, ok);
        if (static_cast<size_t>(end - p) < extra) ok = false;
        else p += extra;
        out->items.push_back(item);
    }
    return ok;
}

// The dialog font is "System" at 10 points in every template of the program;
// its base units are 8 x 16 pixels, so one dialog unit is 2 x 2 pixels.
constexpr int kBaseUnitX = 8;
constexpr int kBaseUnitY = 16;

static int dluX(int x) { return MulDiv(x, kBaseUnitX, 4); }
static int dluY(int y) { return MulDiv(y, kBaseUnitY, 8); }

static bool isClass(const DialogItem& item, uint16_t atom, const char16_t* name) {
    if (item.className.empty()) return item.classAtom == atom;
    std::u16string upper = item.className;
    for (auto& c : upper)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return upper == name;
}

static std::u16string labelText(std::u16string text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u'&') out.push_back(c);
    while (!out.empty() && (out.back() == u':' || out.back() == u' ')) out.pop_back();
    return out;
}

// Accessible names as Windows' accessibility layer gives them: buttons,
// check boxes and labels are named by their own text, which their widgets
// report as it is at the time (a button renamed by code is heard by its new
// name); an edit field or a combo box by what introduces it: the nearest
// visible label or button to its left on the same row, else the nearest
// visible label before it in the template. Hidden controls stay hidden to
// assistive tools (core/Accessibility.cpp).
static void nameControlsForAccessibility(const DialogTemplate& tpl, Window* dlg) {
    if (!dlg) return;
    for (size_t i = 0; i < tpl.items.size() && i < dlg->children.size(); ++i) {
        const DialogItem& item = tpl.items[i];
        Window* w = findWindow(dlg->children[i]);
        if (!w || !w->frame) continue;
        bool isEdit = isClass(item, 0x81, u"EDIT");
        bool isCombo = isClass(item, 0x85, u"COMBOBOX");
        if (!isEdit && !isCombo) continue;
        const DialogItem* best = nullptr;
        for (const DialogItem& other : tpl.items) {
            bool labelLike = isClass(other, 0x82, u"STATIC") || isClass(other, 0x80, u"BUTTON");
            if (!labelLike || !(other.style & WS_VISIBLE) || other.title.empty()) continue;
            bool sameRow = other.y < item.y + item.cy && item.y < other.y + other.cy;
            if (!sameRow || other.x + other.cx > item.x + 2) continue;
            if (!best || other.x > best->x) best = &other;
        }
        if (!best) {
            for (size_t j = i; j-- > 0;) {
                const DialogItem& other = tpl.items[j];
                if (isClass(other, 0x82, u"STATIC") && (other.style & WS_VISIBLE) && !other.title.empty()) {
                    best = &other;
                    break;
                }
            }
        }
        if (!best) continue;
        QString name = toQString(labelText(best->title));
        w->frame->setAccessibleName(name);
        // The edit field inside a combo box answers to the same name.
        if (auto* box = qobject_cast<QComboBox*>(w->frame.data()); box && box->lineEdit())
            box->lineEdit()->setAccessibleName(name);
    }
}

static HWND createDialog(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param,
                         bool modal) {
    ResourceData res;
    DialogTemplate tpl;
    if (!findResource(instance, kRtDialog, name, &res) || !parseDialogTemplate(res.data, res.size, &tpl)) {
        SetLastError(1814); // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    DWORD style = tpl.style;
    int cx = dluX(tpl.cx), cy = dluY(tpl.cy);
    bool caption = (style & WS_CAPTION) == WS_CAPTION && !(style & WS_CHILD);
    if (caption) {
        cx += 2 * kFrameBorder;
        cy += 2 * kFrameBorder + kCaptionHeight;
    }
    int x = dluX(tpl.x), y = dluY(tpl.y);
    if (!(style & WS_CHILD)) {
        // Popups open centred over their owner, as DS_CENTER would place them.
        RECT pr{};
        Window* owner = findWindow(parent);
        while (owner && !owner->isTopLevel()) owner = findWindow(owner->parent);
        if (owner) {
            pr = owner->rect;
            x = pr.left + ((pr.right - pr.left) - cx) / 2;
            y = pr.top + ((pr.bottom - pr.top) - cy) / 2;
        }
    }
    // The dialog window: created hidden; made visible after WM_INITDIALOG.
    HWND hwnd = CreateWindowExW(tpl.exStyle, u"#32770", tpl.title.c_str(), style & ~WS_VISIBLE, x, y,
                                cx, cy, parent, nullptr, instance, nullptr);
    if (!hwnd) return nullptr;
    Window* w = findWindow(hwnd);
    w->dlgProc = proc;
    if (style & DS_SETFONT) SendMessageW(hwnd, WM_SETFONT, 0, FALSE);
    if (!findWindow(hwnd)) return nullptr;
    for (const DialogItem& item : tpl.items) {
        LPCWSTR cls = item.className.empty() ? MAKEINTRESOURCEW(item.classAtom) : item.className.c_str();
        HWND ctl = CreateWindowExW(item.exStyle, cls, item.title.c_str(), item.style | WS_CHILD,
                                   dluX(item.x), dluY(item.y), dluX(item.cx), dluY(item.cy), hwnd,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance,
                                   nullptr);
        if (!ctl) {
            DestroyWindow(hwnd);
            return nullptr;
        }
    }
    nameControlsForAccessibility(tpl, findWindow(hwnd));
    LRESULT focusDefault = SendMessageW(hwnd, WM_INITDIALOG, 0, param);
    w = findWindow(hwnd);
    if (!w) return nullptr;
    if (focusDefault && (style & WS_VISIBLE || modal)) {
        // TRUE from WM_INITDIALOG: the dialog manager focuses the first
        // control with a tab stop.
        for (HWND c : w->children) {
            LONG s = GetWindowLongW(c, GWL_STYLE);
            if ((s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED)) {
                if (modal) SetFocus(c);
                break;
            }
        }
    }
    if ((style & WS_VISIBLE) || modal) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

static LRESULT CALLBACK dialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcW(hwnd, message, wParam, lParam);
}

void registerDialogClass() { registerBuiltinClass(u"#32770", dialogClassProc, nullptr, true); }

} // namespace winapi

using namespace winapi;

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
    return createDialog(instance, name, parent, proc, param, false);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
    // The owner is the top-level window of the parent; it is disabled while
    // the box runs, so only the box takes input.
    Window* ownerWnd = findWindow(parent);
    while (ownerWnd && !ownerWnd->isTopLevel()) ownerWnd = findWindow(ownerWnd->parent);
    HWND owner = ownerWnd ? ownerWnd->hwnd : nullptr;
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    HWND dlg = createDialog(instance, name, owner, proc, param, true);
    if (!dlg) return -1;
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    bool quit = false;
    int quitCode = 0;
    while (true) {
        Window* w = findWindow(dlg);
        if (!w || w->dialogEnded) break;
        MSG msg;
        nextMessage(&msg, nullptr, 0, 0, true, true);
        if (msg.message == WM_QUIT) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        // What IsDialogMessageW does for the box: Esc is Cancel, Enter is OK.
        bool forDialog = false;
        for (Window* t = findWindow(msg.hwnd); t; t = t->isTopLevel() ? nullptr : findWindow(t->parent))
            if (t->hwnd == dlg) forDialog = true;
        if (forDialog && msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
            int id = msg.wParam == VK_ESCAPE ? IDCANCEL : IDOK;
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    INT_PTR result = 0;
    if (Window* w = findWindow(dlg)) result = w->dialogResult;
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (findWindow(dlg)) DestroyWindow(dlg);
    if (owner && findWindow(owner)) {
        if (Window* o = findWindow(owner); o && o->frame) o->frame->activateWindow();
        SetFocus(owner);
    }
    if (quit) PostQuitMessage(quitCode);
    return result;
}

BOOL WINAPI EndDialog(HWND dlg, INT_PTR result) {
    Window* w = findWindow(dlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->dialogEnded = true;
    w->dialogResult = result;
    // Wake the modal loop so it notices at once.
    PostMessageW(nullptr, WM_NULL, 0, 0);
    return TRUE;
}
