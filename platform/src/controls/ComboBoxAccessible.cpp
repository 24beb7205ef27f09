#include "controls/ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace winapi {

namespace {

// Qt's own combo box interface on Linux gives the current text as the name
// and leaves naming to label relations; Windows names the box by its label,
// so this one does.
class ComboBoxAccessible : public QAccessibleWidget {
  public:
    explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }

    // Child 0 is the list, child 1 the edit field of an editable box.
    int childCount() const override { return box()->lineEdit() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->lineEdit())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->object() == box()->view()) return 0;
        if (box()->lineEdit() && child->object() == box()->lineEdit()) return 1;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = box()->lineEdit();
        if (edit && edit->isVisible() &&
            QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return child(1);
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override {
        return box()->lineEdit() ? child(1) : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        QString value = box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
        if (t == QAccessible::Value) return value;
        if (t == QAccessible::Name) {
            QString name = box()->accessibleName();
            return name.isEmpty() ? value : name;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        s.editable = box()->isEditable();
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view() && box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

} // namespace

QAccessibleInterface* createComboBoxAccessible(QComboBox* box) {
    return new ComboBoxAccessible(box);
}

} // namespace winapi
