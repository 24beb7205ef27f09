// EDIT: a single-line edit field, with or without border, read-only or not;
// it scrolls horizontally as the text grows. The user's typing sends
// EN_CHANGE to the parent; SetWindowTextW changes the text silently.
#include "controls/Controls.h"
#include "core/Window.h"

#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>

namespace winapi {

namespace {

// The longest text a single-line edit control takes by default.
constexpr int kEditTextLimit = 30000;

class EditControl : public Control {
  public:
    explicit EditControl(QLineEdit* edit) : m_edit(edit) {}
    void textChanged(Window& w) override {
        if (!m_edit) return;
        QSignalBlocker block(m_edit);
        m_edit->setText(toQString(w.text));
        m_edit->setCursorPosition(0);
    }
    void syncTextFromWidget(Window& w) override {
        if (m_edit) w.text = fromQString(m_edit->text());
    }

  private:
    QPointer<QLineEdit> m_edit;
};

QWidget* createEditWidget(Window& w, QWidget* parent) {
    auto* edit = new QLineEdit(toQString(w.text), parent);
    edit->setFrame((w.style & WS_BORDER) != 0);
    edit->setMaxLength(kEditTextLimit);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->setCursorPosition(0);
    if (w.style & ES_READONLY) {
        edit->setReadOnly(true);
        // Windows shows a read-only field on the dialog colour.
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, QColor(240, 240, 240));
        edit->setPalette(pal);
    }
    HWND hwnd = w.hwnd;
    // textEdited is emitted for the user's changes only.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [hwnd] { notifyParent(hwnd, EN_CHANGE); });
    w.control = std::make_unique<EditControl>(edit);
    return edit;
}

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void registerEditClass() {
    registerBuiltinClass(u"EDIT", editProc, createEditWidget);
}

} // namespace winapi
