// DrawTextW: text in a rectangle, in the DC's font and text colour.
//
// Without DT_SINGLELINE the text is broken into lines at CR, LF and CR LF and
// laid out from the top of the rectangle; DT_VCENTER and DT_BOTTOM act only
// together with DT_SINGLELINE, as on Windows. DT_CENTER and DT_RIGHT align
// each line. Nothing wraps; the text is clipped to the rectangle unless
// DT_NOCLIP is given.
#include "core/Window.h"
#include "gdi/DeviceContext.h"
#include "gdi/Sprites.h"

#include <QFontMetrics>
#include <QHash>
#include <QStringList>
#include <mutex>

using namespace winapi;

namespace {

// Widths of the lines drawn, per font: measuring shapes the text, and a
// window repaints the same labels and numbers over and over. Bounded; when
// full it starts again from empty.
int lineWidth(const QFontMetrics& metrics, const QString& fontKey, const QString& line) {
    static std::mutex mutex;
    static auto* widths = new QHash<QString, int>; // lives as long as the process
    const QString key = fontKey + QLatin1Char('\n') + line;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = widths->constFind(key);
        if (it != widths->constEnd()) return *it;
    }
    int width = metrics.horizontalAdvance(line);
    std::lock_guard<std::mutex> lock(mutex);
    if (widths->size() >= 1024) widths->clear();
    widths->insert(key, width);
    return width;
}

} // namespace

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
    // The stock font's key is worked out once: building it is not cheap.
    static const QString systemKey = systemFont()->font.key();
    const QString fontKey = (!dc->font || dc->font == systemFont()) ? systemKey : font.key();
    // Unsmoothed text is drawn from sprites: its pixels are the text colour
    // or untouched, so a copy equals drawing it.
    const bool sprites = (font.styleStrategy() & QFont::NoAntialias) != 0;
    // Room around the advance for ink that overhangs it.
    const int margin = lineHeight / 2;
    const int vmargin = 3;
    const int ascent = metrics.ascent();
    paintOn(*dc, [&](QPainter& p) {
        if (!(format & DT_NOCLIP))
            p.setClipRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
                          Qt::IntersectClip);
        p.setFont(font);
        p.setPen(color);
        int y = top;
        for (const QString& line : lines) {
            int width = lineWidth(metrics, fontKey, line);
            int x = rc.left;
            if (format & DT_CENTER)
                x = rc.left + (rc.right - rc.left - width) / 2;
            else if (format & DT_RIGHT)
                x = rc.right - width;
            if (opaque) p.fillRect(QRect(x, y, width, lineHeight), background);
            if (sprites && !line.isEmpty()) {
                QString key = fontKey + QLatin1Char(' ') + QString::number(color.rgba()) +
                              QLatin1Char(' ') + line;
                drawSprite(p, key, QSize(width + 2 * margin, lineHeight + 2 * vmargin),
                           QPoint(x - margin, y - vmargin), [&](QPainter& sp) {
                               sp.setFont(font);
                               sp.setPen(color);
                               sp.drawText(QPoint(margin, vmargin + ascent), line);
                           });
            } else {
                p.drawText(QPoint(x, y + ascent), line);
            }
            y += lineHeight;
        }
    });
    int bottom = top + lineHeight * static_cast<int>(lines.size());
    // The height of the text; with vertical alignment, the offset from the
    // rectangle's top to the bottom of the text.
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return bottom - rc.top;
    return bottom - top;
}
