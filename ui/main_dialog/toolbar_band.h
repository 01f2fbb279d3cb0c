#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// The band behind the main window's toolbar. In a light colour scheme it shows the
// program's band picture; in a dark one a gradient of the scheme's own window colour, so
// that it never stands out as a bright bar. Its labels take the scheme's text colour where
// that reads on the band, and black or white where it would not.
class CToolbarBand : public QWidget {
    Q_OBJECT
public:
    explicit CToolbarBand(QWidget* parent);

    // The colour the labels are drawn in (the band's WindowText and ButtonText).
    QColor LabelColor() const { return palette().color(QPalette::WindowText); }
    // Whether the band draws the picture (light scheme) rather than the gradient.
    bool ShowsPicture() const { return m_showsPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Follows the colours of the window the band sits in.
    void UpdateColors();

    QPixmap m_picture;
    // The lightest and the darkest row of the band, as drawn now.
    QColor m_lightest;
    QColor m_darkest;
    QColor m_gradientTop;
    QColor m_gradientBottom;
    QColor m_edge;
    bool m_showsPicture = true;
    bool m_updating = false;
};
