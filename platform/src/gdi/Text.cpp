// DrawTextW: text in a rectangle, in the DC's font and text colour.
//
// Without DT_SINGLELINE the text is broken into lines at CR, LF and CR LF and
// laid out from the top of the rectangle; DT_VCENTER and DT_BOTTOM act only
// together with DT_SINGLELINE, as on Windows. DT_CENTER and DT_RIGHT align
// each line. Nothing wraps; the text is clipped to the rectangle unless
// DT_NOCLIP is given.
#include "core/Window.h"
#include "gdi/DeviceContext.h"

#include <QFontMetrics>
#include <QStringList>

using namespace winapi;

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    Dc* dc = findDc(hdc);
    if (!dc || !lpchText || !lprc) return 0;
    int length = cchText < 0 ? lstrlenW(lpchText) : cchText;
    QString text = QString::fromUtf16(lpchText, length);

    QStringList lines;
    if (format & DT_SINGLELINE) {
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        lines << text;
    } else {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        lines = text.split(QLatin1Char('\n'));
    }

    const QFont& font = dc->font ? dc->font->font : systemFont()->font;
    QFontMetrics metrics(font);
    int lineHeight = metrics.height();
    const RECT rc = *lprc;
    int top = rc.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rc.top + (rc.bottom - rc.top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rc.bottom - lineHeight;
    }

    QColor color = fromColorRef(dc->textColor);
    QColor background = fromColorRef(dc->bkColor);
    bool opaque = dc->bkMode == OPAQUE;
    paintOn(*dc, [&](QPainter& p) {
        if (!(format & DT_NOCLIP))
            p.setClipRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
                          Qt::IntersectClip);
        p.setFont(font);
        p.setPen(color);
        int y = top;
        for (const QString& line : lines) {
            int width = metrics.horizontalAdvance(line);
            int x = rc.left;
            if (format & DT_CENTER)
                x = rc.left + (rc.right - rc.left - width) / 2;
            else if (format & DT_RIGHT)
                x = rc.right - width;
            if (opaque) p.fillRect(QRect(x, y, width, lineHeight), background);
            p.drawText(QPoint(x, y + metrics.ascent()), line);
            y += lineHeight;
        }
    });
    int bottom = top + lineHeight * static_cast<int>(lines.size());
    // The height of the text; with vertical alignment, the offset from the
    // rectangle's top to the bottom of the text.
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return bottom - rc.top;
    return bottom - top;
}
