// The controls' look: Qt's classic Windows style, with the scroll bar's
// track filled in one flat colour instead of a dithered pattern.
#pragma once

#include <QProxyStyle>

namespace winapi {

class ClassicStyle : public QProxyStyle {
  public:
    ClassicStyle();
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

} // namespace winapi
