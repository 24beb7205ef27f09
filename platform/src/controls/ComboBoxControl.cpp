// COMBOBOX: a drop-down list with an edit field (CBS_DROPDOWN), optionally
// sorted (CBS_SORT), or without edit field (CBS_DROPDOWNLIST). The window
// rectangle's height includes the open list: the widget is as tall as the
// edit field it was created with, and the list opens to the rest. The user's
// choice sends CBN_SELCHANGE, typing CBN_EDITCHANGE; the CB_ messages and
// SetWindowTextW change the box silently.
#include "controls/ComboBoxAccessible.h"
#include "controls/Controls.h"
#include "core/Window.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <cstring>

namespace winapi {

namespace {

class ComboWidget : public QComboBox {
  public:
    using QComboBox::QComboBox;
    int listHeight = 0; // height of the open list in pixels

    void showPopup() override {
        QComboBox::showPopup();
        QWidget* popup = view() ? view()->window() : nullptr;
        if (!popup || popup == window() || listHeight <= 0) return;
        // Open the list to the height the window rectangle leaves below the
        // field, at least one item.
        int rowHeight = std::max(view()->sizeHintForRow(0), fontMetrics().height());
        int height = std::max(listHeight, rowHeight + 2);
        QRect r = popup->geometry();
        QPoint below = mapToGlobal(QPoint(0, this->height()));
        if (r.top() >= below.y() - 1)
            r.setHeight(height);
        else
            r.setTop(r.bottom() - height + 1);
        popup->setGeometry(r);
    }
};

class ComboBoxControl : public Control {
  public:
    ComboBoxControl(ComboWidget* combo, int fieldHeight, bool sorted)
        : m_combo(combo), m_fieldHeight(fieldHeight), m_sorted(sorted) {}

    void textChanged(Window& w) override {
        if (!m_combo) return;
        QSignalBlocker block(m_combo);
        if (QLineEdit* edit = m_combo->lineEdit()) {
            QSignalBlocker blockEdit(edit);
            edit->setText(toQString(w.text));
            edit->setCursorPosition(0);
        }
    }
    void syncTextFromWidget(Window& w) override {
        if (m_combo) w.text = fromQString(m_combo->currentText());
    }
    void applyGeometry(Window& w, QWidget* widget, const QRect& r) override {
        int field = std::min(m_fieldHeight, r.height());
        widget->setGeometry(r.x(), r.y(), r.width(), field);
        if (m_combo) m_combo->listHeight = r.height() - field;
    }

    ComboWidget* combo() const { return m_combo; }
    bool sorted() const { return m_sorted; }

  private:
    QPointer<ComboWidget> m_combo;
    int m_fieldHeight;
    bool m_sorted;
};

ComboBoxControl* comboOf(HWND hwnd) {
    Window* w = findWindow(hwnd);
    auto* c = w ? dynamic_cast<ComboBoxControl*>(w->control.get()) : nullptr;
    return c && c->combo() ? c : nullptr;
}

QWidget* createComboWidget(Window& w, QWidget* parent) {
    auto* combo = new ComboWidget(parent);
    bool editable = (w.style & 0x3) != CBS_DROPDOWNLIST;
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setFocusPolicy(Qt::StrongFocus);
    if (editable) {
        combo->setCompleter(nullptr);
        combo->lineEdit()->setText(toQString(w.text));
    }
    // The height the box is created with is its field; a box created with a
    // dropped-down height (as code usually does) gets a field of its natural
    // height instead.
    int created = w.rect.bottom - w.rect.top;
    int natural = combo->sizeHint().height();
    int field = created > 2 * natural ? natural : created;
    HWND hwnd = w.hwnd;
    // activated: the user picked an item (mouse or keys), never by code.
    QObject::connect(combo, &QComboBox::activated, combo,
                     [hwnd] { notifyParent(hwnd, CBN_SELCHANGE); });
    if (editable)
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                         [hwnd] { notifyParent(hwnd, CBN_EDITCHANGE); });
    w.control = std::make_unique<ComboBoxControl>(combo, field, (w.style & CBS_SORT) != 0);
    return combo;
}

// Where a sorted box puts `text`: after the items that compare equal or
// lower, ignoring case as Windows' sorted lists do.
int sortedPosition(QComboBox* combo, const QString& text) {
    int lo = 0, hi = combo->count();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (QString::compare(combo->itemText(mid), text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Inserts an item without the side effects Qt adds: an empty box selects its
// first item on its own, Windows does not.
// `index` -1 appends, or, for a sorted box, finds the place.
LRESULT insertItem(ComboBoxControl* c, int index, LPCWSTR text) {
    ComboWidget* combo = c->combo();
    if (!text || index < -1 || index > combo->count()) return CB_ERR;
    QSignalBlocker block(combo);
    int before = combo->currentIndex();
    QString editText = combo->currentText();
    QString item = toQString(text);
    if (index < 0) index = c->sorted() ? sortedPosition(combo, item) : combo->count();
    combo->insertItem(index, item);
    if (before < 0 && combo->currentIndex() >= 0) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable()) combo->setEditText(editText);
    }
    return index;
}

LRESULT CALLBACK comboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_DELETESTRING:
    case CB_RESETCONTENT:
    case CB_GETCOUNT:
    case CB_SETCURSEL:
    case CB_GETCURSEL:
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN:
    case CB_SHOWDROPDOWN:
    case CB_GETDROPPEDSTATE:
        break;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    ComboBoxControl* c = comboOf(hwnd);
    if (!c) return CB_ERR;
    ComboWidget* combo = c->combo();
    QSignalBlocker block(combo);
    const int count = combo->count();
    const int index = static_cast<int>(static_cast<intptr_t>(wParam));
    switch (message) {
    case CB_ADDSTRING:
        return insertItem(c, -1, reinterpret_cast<LPCWSTR>(lParam));
    case CB_INSERTSTRING:
        // A sorted box still inserts at the given place, as Windows does.
        return insertItem(c, index == -1 ? count : index, reinterpret_cast<LPCWSTR>(lParam));
    case CB_DELETESTRING: {
        if (index < 0 || index >= count) return CB_ERR;
        bool wasCurrent = combo->currentIndex() == index;
        QString editText = combo->currentText();
        combo->removeItem(index);
        if (wasCurrent) {
            combo->setCurrentIndex(-1);
            if (combo->isEditable()) combo->setEditText(editText);
        }
        return combo->count();
    }
    case CB_RESETCONTENT:
        // Empties the list and the edit field.
        combo->clear();
        if (combo->isEditable()) combo->clearEditText();
        return 0; // CB_OKAY
    case CB_GETCOUNT:
        return count;
    case CB_SETCURSEL:
        if (index < 0 || index >= count) {
            combo->setCurrentIndex(-1);
            if (combo->isEditable()) combo->clearEditText();
            return CB_ERR;
        }
        combo->setCurrentIndex(index);
        return index;
    case CB_GETCURSEL:
        return combo->currentIndex() < 0 ? CB_ERR : combo->currentIndex();
    case CB_GETLBTEXT: {
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (index < 0 || index >= count || !out) return CB_ERR;
        QString text = combo->itemText(index);
        std::memcpy(out, text.utf16(), static_cast<size_t>(text.size()) * sizeof(WCHAR));
        out[text.size()] = 0;
        return text.size();
    }
    case CB_GETLBTEXTLEN:
        if (index < 0 || index >= count) return CB_ERR;
        return combo->itemText(index).size();
    case CB_SHOWDROPDOWN:
        if (wParam)
            combo->showPopup();
        else
            combo->hidePopup();
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return combo->view() && combo->view()->isVisible();
    }
    return CB_ERR;
}

} // namespace

// The layer's combo boxes get their own accessible interface; other combo
// boxes (in a file dialog, say) keep Qt's.
static QAccessibleInterface* comboAccessibleFactory(const QString&, QObject* object) {
    if (auto* box = dynamic_cast<ComboWidget*>(object)) return createComboBoxAccessible(box);
    return nullptr;
}

void registerComboBoxClass() {
    registerBuiltinClass(u"COMBOBOX", comboProc, createComboWidget);
    QAccessible::installFactory(comboAccessibleFactory);
}

} // namespace winapi
