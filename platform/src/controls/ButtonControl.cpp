// BUTTON: a push button, or a check box (automatic or not). A click by the
// user sends BN_CLICKED to the parent; an automatic check box has already
// toggled when the parent hears of it. BM_SETCHECK and SetWindowTextW change
// the widget silently.
#include "controls/Controls.h"
#include "core/Window.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace winapi {

namespace {

// A check box that toggles on a click only when it is automatic.
class CheckBoxWidget : public QCheckBox {
  public:
    CheckBoxWidget(const QString& text, bool automatic, QWidget* parent)
        : QCheckBox(text, parent), m_automatic(automatic) {}

  protected:
    void nextCheckState() override {
        if (m_automatic) QCheckBox::nextCheckState();
    }

  private:
    bool m_automatic;
};

class ButtonControl : public Control {
  public:
    explicit ButtonControl(QAbstractButton* button) : m_button(button) {}
    void textChanged(Window& w) override {
        if (!m_button) return;
        QSignalBlocker block(m_button);
        m_button->setText(toQString(w.text));
    }
    QAbstractButton* button() const { return m_button; }
    bool isCheckBox() const { return qobject_cast<QCheckBox*>(m_button.data()) != nullptr; }

  private:
    QPointer<QAbstractButton> m_button;
};

ButtonControl* buttonOf(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w ? dynamic_cast<ButtonControl*>(w->control.get()) : nullptr;
}

QWidget* createButtonWidget(Window& w, QWidget* parent) {
    QAbstractButton* button;
    DWORD type = w.style & BS_TYPEMASK;
    QString text = toQString(w.text);
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
        button = new CheckBoxWidget(text, type == BS_AUTOCHECKBOX, parent);
    else
        button = new QPushButton(text, parent);
    // Buttons and check boxes take the focus when clicked, as on Windows.
    button->setFocusPolicy(Qt::StrongFocus);
    HWND hwnd = w.hwnd;
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [hwnd] { notifyParent(hwnd, BN_CLICKED); });
    w.control = std::make_unique<ButtonControl>(button);
    return button;
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK: {
        ButtonControl* b = buttonOf(hwnd);
        if (!b || !b->button() || !b->isCheckBox()) return BST_UNCHECKED;
        return b->button()->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }
    case BM_SETCHECK: {
        ButtonControl* b = buttonOf(hwnd);
        if (b && b->button() && b->isCheckBox()) {
            QSignalBlocker block(b->button());
            b->button()->setChecked(wParam == BST_CHECKED);
        }
        return 0;
    }
    case BM_CLICK: {
        // As if the user clicked: an automatic box toggles, the parent hears.
        ButtonControl* b = buttonOf(hwnd);
        if (b && b->button()) b->button()->click();
        return 0;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void registerButtonClass() {
    registerBuiltinClass(u"BUTTON", buttonProc, createButtonWidget);
}

} // namespace winapi
