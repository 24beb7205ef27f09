// STATIC: a left-aligned label showing the window text.
#include "controls/Controls.h"
#include "core/Window.h"

#include <QLabel>

namespace winapi {

namespace {

class StaticControl : public Control {
  public:
    explicit StaticControl(QLabel* label) : m_label(label) {}
    void textChanged(Window& w) override {
        if (m_label) m_label->setText(toQString(w.text));
    }

  private:
    QPointer<QLabel> m_label;
};

} // namespace

QWidget* createLabelWidget(Window& w, QWidget* parent) {
    auto* label = new QLabel(toQString(w.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    w.control = std::make_unique<StaticControl>(label);
    return label;
}

namespace {

LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void registerStaticClass() { registerBuiltinClass(u"STATIC", staticProc, createLabelWidget); }

} // namespace winapi
