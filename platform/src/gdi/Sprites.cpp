#include "gdi/Sprites.h"

#include <QHash>
#include <QSet>
#include <mutex>

namespace winapi {

namespace {

// Bounded: a window that draws ever new texts (a moving position) would
// otherwise grow it without end. When full it starts again from empty.
constexpr int kMaxSprites = 512;

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
            if (seenOnce().size() >= kMaxSprites) seenOnce().clear();
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
        if (sprites().size() >= kMaxSprites) sprites().clear();
        sprites().insert(key, image);
    }
    painter.drawImage(at, image);
}

} // namespace winapi
