#include "ui/toolkit/title_banner.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace toolkit {
namespace {

constexpr int kIconSize = 32;

}  // namespace

CTitleBanner::CTitleBanner(const QPixmap& picture, const QPixmap& icon, QString title,
                           QString detail, QWidget* parent)
    : QWidget(parent),
      m_picture(picture),
      m_icon(icon),
      m_title(std::move(title)),
      m_detail(std::move(detail)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int CTitleBanner::Padding() const {
    return std::max(6, fontMetrics().height() / 3);
}

QFont CTitleBanner::TitleFont() const {
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    return bold;
}

QSize CTitleBanner::sizeHint() const {
    const QFontMetrics title(TitleFont());
    const int textHeight = title.height() + fontMetrics().height();
    const int height = std::max(kIconSize, textHeight) + 2 * Padding();
    const int width = std::max(title.horizontalAdvance(m_title),
                               2 * Padding() + fontMetrics().horizontalAdvance(m_detail)) +
                      kIconSize + 4 * Padding();
    return {width, height};
}

QSize CTitleBanner::minimumSizeHint() const {
    return sizeHint();
}

void CTitleBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull()) {
        painter.drawPixmap(rect(), m_picture);
    }
    const int padding = Padding();
    const QFontMetrics title(TitleFont());
    const int textWidth = width() - kIconSize - 3 * padding;
    painter.setPen(Qt::white);
    painter.setFont(TitleFont());
    painter.drawText(QRect(padding, padding, textWidth, title.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_title);
    painter.setFont(font());
    painter.drawText(QRect(3 * padding, padding + title.height(), textWidth - 2 * padding,
                           fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_detail);
    if (!m_icon.isNull()) {
        painter.drawPixmap(
            QRect(width() - kIconSize - padding, (height() - kIconSize) / 2, kIconSize, kIconSize),
            m_icon);
    }
    painter.setPen(palette().mid().color());
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

}  // namespace toolkit
