#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace toolkit {

// A stored window corner checked against the screen it opens on: a coordinate beyond the
// screen's width (or height) becomes a third of it.
QPoint ClampToScreenSize(QPoint corner, QSize screen);

// The frame's corner moved, when needed, so that the title bar (titleHeight pixels at the
// top of frame) lies on one of the screens: a title bar that no screen shows well enough to
// grab is brought fully onto the screen nearest to the frame, and the whole frame with it
// as far as it fits. availableScreens are the screens' usable areas.
QPoint KeepTitleBarOnScreen(const QRect& frame, int titleHeight,
                            const QList<QRect>& availableScreens);

// Where the client area goes so that the frame's corner lands on frameCorner.
inline QPoint ClientCornerFor(QPoint frameCorner, const QMargins& frame) {
    return frameCorner + QPoint(frame.left(), frame.top());
}

}  // namespace toolkit
