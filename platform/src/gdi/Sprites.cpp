#include "gdi/Sprites.h"

#include <QHash>
#include <QSet>
#include <mutex>

namespace winapi {

namespace {

// Bounded in bytes: a window that draws ever new texts (a moving position)
// would otherwise grow it without end. When full it starts again from
// empty. A sky plot's working set (markers, numbers, labels in a few
// colours) is around two hundred kilobytes.
constexpr qsizetype kMaxBytes = 512 * 1024;
constexpr qsizetype kMaxSeen = 2048;
qsizetype g_bytes = 0;

std::mutex g_mutex;
QHash<QString, QImage>& sprites() {
    static auto* cache = new QHash<QString, QImage>; // lives as long as the process
    return *cache;
}

QSet<QString>& seenOnce() {
    static auto* keys = new QSet<QString>; // lives as long as the process
    return *keys;
}

} // namespace

void drawSprite(QPainter& painter, const QString& key, QSize size, QPoint at,
                const std::function<void(QPainter&)>& render) {
    if (size.isEmpty()) return;
    QImage image;
    bool firstUse = false;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = sprites().constFind(key);
        if (it != sprites().constEnd()) {
            image = *it;
        } else if (!seenOnce().contains(key)) {
            // Drawn once only (a changing number, a time of day): not worth
            // an image. Kept when it comes again.
            if (seenOnce().size() >= kMaxSeen) seenOnce().clear();
            seenOnce().insert(key);
            firstUse = true;
        }
    }
    if (firstUse) {
        painter.save();
        painter.translate(at);
        render(painter);
        painter.restore();
        return;
    }
    if (image.isNull()) {
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        render(p);
        p.end();
        std::lock_guard<std::mutex> lock(g_mutex);
        seenOnce().remove(key);
        if (g_bytes + image.sizeInBytes() > kMaxBytes) {
            sprites().clear();
            g_bytes = 0;
        }
        if (!sprites().contains(key)) {
            sprites().insert(key, image);
            g_bytes += image.sizeInBytes();
        }
    }
    painter.drawImage(at, image);
}

} // namespace winapi
