#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

#include "ui/toolkit/contrast.h"

// The contrast of text as drawn: within area of a grabbed picture, the background is the
// colour most pixels have and the text the pixel that stands out most from it (glyph stems
// are drawn in the full text colour, their edges only blend towards it). 1 when the area
// shows one colour only.
inline double MeasuredTextContrast(const QImage& picture, const QRect& area) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const qreal scale = image.devicePixelRatio();
    const QRect pixels(QPoint(qRound(area.left() * scale), qRound(area.top() * scale)),
                       QPoint(qRound(area.right() * scale), qRound(area.bottom() * scale)));
    QHash<QRgb, int> counts;
    const QRect inside = pixels.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    if (counts.isEmpty()) {
        return 1;
    }
    QRgb background = counts.begin().key();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.value() > counts[background]) {
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        best = std::max(best, toolkit::ContrastRatio(QColor(it.key()), QColor(background)));
    }
    return best;
}
