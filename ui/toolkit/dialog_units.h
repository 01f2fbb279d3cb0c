#pragma once

#include <QSize>

class QFont;
class QWidget;

namespace toolkit {

// The windows are drawn in dialog units: a quarter of the font's average character width
// across, an eighth of its line height down. Converting them with the font in use keeps the
// proportions in every language and at every font size. There is one conversion for every
// window of the program, so that the same units give the same pixels everywhere.

// A font's base units: the average width of the 52 Latin letters, rounded to the nearest
// pixel, and the line height.
QSize DialogBaseUnits(const QFont& font);

// width by height dialog units for the given base units. Every product is rounded to the
// nearest pixel, halves away from zero, as the classic MulDiv conversion does.
QSize DialogUnitsToPixels(QSize baseUnits, int width, int height);

// The same in the font of widget.
QSize DialogUnitsToPixels(const QWidget* widget, int width, int height);

}  // namespace toolkit
