#pragma once

#include <QFontMetrics>
#include <QSize>
#include <QWidget>

// The window's arrangement is drawn in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. Converting them with the font in
// use keeps the proportions in every language and font size.
inline QSize DialogUnitsToPixels(const QWidget* widget, int width, int height) {
    const QFontMetrics metrics(widget->font());
    const int baseX =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
    const int baseY = metrics.height();
    return {width * baseX / 4, height * baseY / 8};
}
