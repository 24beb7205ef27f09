#include "core/ClassicStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace winapi {

ClassicStyle::ClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

// The classic track is a 50 % dither of two colours, drawn as a pattern
// brush; Qt fills patterns through a thread pool, and the console's scroll
// bar is repainted as every received line moves it. The track is filled
// with the colour the dither shows from a distance instead.
void ClassicStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    if ((element == CE_ScrollBarAddPage || element == CE_ScrollBarSubPage) && option) {
        const QPalette& pal = option->palette;
        const bool sunken = option->state & State_Sunken;
        QColor a = sunken ? pal.shadow().color() : pal.light().color();
        QColor b = sunken ? pal.dark().color() : pal.window().color();
        QColor mixed((a.red() + b.red()) / 2, (a.green() + b.green()) / 2,
                     (a.blue() + b.blue()) / 2);
        painter->fillRect(option->rect, mixed);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

} // namespace winapi
