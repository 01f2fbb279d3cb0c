#pragma once

#include <QColor>
#include <initializer_list>

namespace toolkit {

// Relative luminance of a colour as the accessibility guidelines define it (sRGB decoded to
// linear light, weighted 0.2126, 0.7152, 0.0722): 0 for black, 1 for white.
double RelativeLuminance(const QColor& color);

// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white. Text
// wants at least kReadableContrast against its background.
double ContrastRatio(const QColor& a, const QColor& b);
inline constexpr double kReadableContrast = 4.5;

// preferred when it reads on every one of backgrounds; otherwise black or white, whichever
// reads better on the worst of them.
QColor ReadableTextColor(const QColor& preferred, std::initializer_list<QColor> backgrounds);

// a moved towards b by weight (0 keeps a, 1 gives b), every channel rounded.
QColor Mix(const QColor& a, const QColor& b, double weight);

}  // namespace toolkit
