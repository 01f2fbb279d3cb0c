#include "ui/toolkit/contrast.h"

#include <QtMath>
#include <algorithm>
#include <limits>

namespace toolkit {
namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double WorstContrast(const QColor& text, std::initializer_list<QColor> backgrounds) {
    double worst = std::numeric_limits<double>::max();
    for (const QColor& background : backgrounds) {
        worst = std::min(worst, ContrastRatio(text, background));
    }
    return worst;
}

}  // namespace

double RelativeLuminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableTextColor(const QColor& preferred, std::initializer_list<QColor> backgrounds) {
    if (WorstContrast(preferred, backgrounds) >= kReadableContrast) {
        return preferred;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return WorstContrast(black, backgrounds) >= WorstContrast(white, backgrounds) ? black : white;
}

QColor Mix(const QColor& a, const QColor& b, double weight) {
    const QColor from = a.toRgb();
    const QColor to = b.toRgb();
    const auto channel = [weight](int x, int y) { return qRound(x + (y - x) * weight); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()), channel(from.alpha(), to.alpha()));
}

}  // namespace toolkit
