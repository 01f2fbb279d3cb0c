#include "ui/main_dialog/toolbar_band.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "ui/toolkit/contrast.h"
#include "ui/toolkit/resource_picture.h"

namespace {

// A scheme is dark when its window colour is; the band picture is drawn for light ones.
bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

// The average colour of every row of a picture: the band is stretched sideways only, so its
// rows are what the labels stand on.
void RowExtremes(const QPixmap& picture, QColor* lightest, QColor* darkest) {
    const QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
    double highest = -1;
    double lowest = 2;
    for (int y = 0; y < image.height(); ++y) {
        long long r = 0, g = 0, b = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            r += qRed(pixel);
            g += qGreen(pixel);
            b += qBlue(pixel);
        }
        const int n = std::max(1, image.width());
        const QColor row(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
        const double luminance = toolkit::RelativeLuminance(row);
        if (luminance > highest) {
            highest = luminance;
            *lightest = row;
        }
        if (luminance < lowest) {
            lowest = luminance;
            *darkest = row;
        }
    }
}

}  // namespace

CToolbarBand::CToolbarBand(QWidget* parent) : QWidget(parent) {
    m_picture = toolkit::LoadResourcePixmap("PNG", "TOOLBAR_BACKGROUND");
    UpdateColors();
}

void CToolbarBand::UpdateColors() {
    m_updating = true;
    QPalette colors =
        parentWidget() != nullptr ? parentWidget()->palette() : QApplication::palette();
    const QColor window = colors.color(QPalette::Window);
    m_showsPicture = !m_picture.isNull() && !IsDark(colors);
    if (m_showsPicture) {
        RowExtremes(m_picture, &m_lightest, &m_darkest);
    } else {
        // Like the picture: lighter at the top, the window colour at the bottom, an edge.
        m_gradientTop = IsDark(colors) ? window.lighter(135) : window.lighter(106);
        m_gradientBottom = window;
        m_edge = colors.color(QPalette::Dark);
        m_lightest = m_gradientTop;
        m_darkest = m_gradientBottom;
    }
    const QColor text =
        toolkit::ReadableTextColor(colors.color(QPalette::WindowText), {m_lightest, m_darkest});
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText}) {
        colors.setColor(QPalette::Active, role, text);
        colors.setColor(QPalette::Inactive, role, text);
    }
    setPalette(colors);
    m_updating = false;
    update();
}

void CToolbarBand::changeEvent(QEvent* event) {
    if (!m_updating &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)) {
        UpdateColors();
    }
    QWidget::changeEvent(event);
}

void CToolbarBand::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_showsPicture) {
        painter.drawPixmap(rect(), m_picture);
        return;
    }
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, m_gradientTop);
    gradient.setColorAt(1, m_gradientBottom);
    painter.fillRect(rect(), gradient);
    painter.setPen(m_edge);
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
