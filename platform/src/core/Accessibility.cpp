#include "core/Accessibility.h"

#include "core/HostWidget.h"
#include "core/Window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMenu>

namespace winapi {

namespace {

// The children a tool may see: those shown (a hidden window is no part of
// the tree until it is shown), without separate windows and pop-up menus,
// which are reached on their own.
QList<QWidget*> shownChildren(const QWidget* widget) {
    QList<QWidget*> out;
    if (!widget) return out;
    for (QObject* o : widget->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !w->isWindow() && !w->isHidden() && !qobject_cast<QMenu*>(w)) out.append(w);
    }
    return out;
}

// The widget of a window of a registered class or a dialog: the frame of a
// top-level window, its client area, or a child window.
class WindowAccessible : public QAccessibleWidget {
  public:
    explicit WindowAccessible(HostWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override {
        QWidget* widget = this->widget();
        if (!widget) return QAccessible::NoRole;
        if (widget->isWindow()) {
            Window* w = findWindowForWidget(widget);
            bool dialog = w && ((w->cls && w->cls->isDialog) || (w->style & WS_POPUP));
            return dialog ? QAccessible::Dialog : QAccessible::Window;
        }
        Window* w = findWindowForWidget(widget);
        // The client area of a top-level window fills its frame; a child
        // window (a panel) is a pane of its parent.
        return w && w->isTopLevel() ? QAccessible::Client : QAccessible::Pane;
    }

    int childCount() const override { return static_cast<int>(shownChildren(widget()).size()); }

    QAccessibleInterface* child(int index) const override {
        QList<QWidget*> kids = shownChildren(widget());
        if (index < 0 || index >= kids.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(kids.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        return static_cast<int>(
            shownChildren(widget()).indexOf(qobject_cast<QWidget*>(child->object())));
    }
};

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    if (auto* host = dynamic_cast<HostWidget*>(object)) return new WindowAccessible(host);
    return nullptr;
}

} // namespace

void installAccessibility() {
    QAccessible::installFactory(windowFactory);
}

void accessibleVisibilityChanged(Window& w, bool shown) {
    if (!QAccessible::isActive() || !w.frame || w.isTopLevel()) return;
    // Qt reports only a change of the "showing" state; the parent's list of
    // children changed as well.
    QAccessibleEvent event(w.frame.data(),
                           shown ? QAccessible::ObjectCreated : QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&event);
}

} // namespace winapi
