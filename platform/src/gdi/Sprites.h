// Figures and texts that a window draws again and again (the sky plot's
// markers and labels, repainted with every fix) are rendered once into a
// small transparent image and then copied. Only drawings without any
// smoothing are kept this way: each pixel is either the colour or untouched,
// so copying the image gives exactly the pixels drawing would give, at any
// whole-pixel position.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <functional>

namespace winapi {

// Draws the figure named `key` with its top-left pixel at `at`. `render`
// paints it in its own coordinates (origin at `at`, within `size`): the
// first time straight onto `painter`, the second time onto a transparent
// image that later calls with the same key copy.
void drawSprite(QPainter& painter, const QString& key, QSize size, QPoint at,
                const std::function<void(QPainter&)>& render);

} // namespace winapi
