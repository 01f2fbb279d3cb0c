#include "ui/toolkit/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QWidget>
#include <cstdlib>

namespace toolkit {
namespace {

// value * numerator / denominator, rounded to the nearest integer with halves away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long magnitude = (std::llabs(product) + half) / denominator;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

}  // namespace

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Twice the average over 26 letter pairs, halved with rounding.
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QSize DialogUnitsToPixels(QSize baseUnits, int width, int height) {
    return {MulDiv(width, baseUnits.width(), 4), MulDiv(height, baseUnits.height(), 8)};
}

QSize DialogUnitsToPixels(const QWidget* widget, int width, int height) {
    return DialogUnitsToPixels(DialogBaseUnits(widget->font()), width, height);
}

}  // namespace toolkit
