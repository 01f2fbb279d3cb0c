#include "ui/toolkit/window_position.h"

#include <algorithm>
#include <limits>

namespace toolkit {
namespace {

// A title bar shows well enough when this much of its width is on one screen (or all of
// it, for a narrower one) and its whole height.
constexpr int kGrabWidth = 100;

bool IsGrabbable(const QRect& titleBar, const QRect& screen) {
    const QRect shown = titleBar.intersected(screen);
    return !shown.isEmpty() && shown.height() >= titleBar.height() &&
           shown.width() >= std::min(kGrabWidth, titleBar.width());
}

// The screen whose area lies closest to the frame's centre.
QRect NearestScreen(const QRect& frame, const QList<QRect>& screens) {
    const QPoint centre = frame.center();
    QRect nearest = screens.front();
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        const long long dx = std::max({0, screen.left() - centre.x(), centre.x() - screen.right()});
        const long long dy = std::max({0, screen.top() - centre.y(), centre.y() - screen.bottom()});
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = screen;
        }
    }
    return nearest;
}

}  // namespace

QPoint ClampToScreenSize(QPoint corner, QSize screen) {
    if (corner.x() > screen.width()) {
        corner.setX(screen.width() / 3);
    }
    if (corner.y() > screen.height()) {
        corner.setY(screen.height() / 3);
    }
    return corner;
}

QPoint KeepTitleBarOnScreen(const QRect& frame, int titleHeight,
                            const QList<QRect>& availableScreens) {
    if (availableScreens.isEmpty()) {
        return frame.topLeft();
    }
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), std::max(1, titleHeight)));
    for (const QRect& screen : availableScreens) {
        if (IsGrabbable(titleBar, screen)) {
            return frame.topLeft();
        }
    }
    // The whole frame onto the nearest screen; one larger than the screen keeps its title
    // bar and left edge visible.
    const QRect screen = NearestScreen(frame, availableScreens);
    const int x =
        std::max(screen.left(), std::min(frame.left(), screen.right() + 1 - frame.width()));
    const int y =
        std::max(screen.top(), std::min(frame.top(), screen.bottom() + 1 - frame.height()));
    return {x, y};
}

}  // namespace toolkit
