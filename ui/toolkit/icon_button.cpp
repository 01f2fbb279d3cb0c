#include "ui/toolkit/icon_button.h"

#include <QEnterEvent>

#include "ui/toolkit/resource_picture.h"

namespace toolkit {

CIconButton::CIconButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void CIconButton::SetIcons(const QPixmap& normal, const QPixmap& hover, int size) {
    m_normal = normal;
    m_hover = hover.isNull() ? normal : hover;
    setIconSize(QSize(size, size));
    ShowIcon();
}

void CIconButton::SetIconResources(const char* normalName, const char* hoverName, int size) {
    SetIcons(LoadResourcePixmap("PNG", normalName), LoadResourcePixmap("PNG", hoverName), size);
}

void CIconButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    ShowIcon();
    QToolButton::enterEvent(event);
}

void CIconButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    ShowIcon();
    QToolButton::leaveEvent(event);
}

void CIconButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_hovered = false;
        ShowIcon();
    }
    QToolButton::changeEvent(event);
}

void CIconButton::ShowIcon() {
    const QPixmap& picture = m_hovered && isEnabled() ? m_hover : m_normal;
    QIcon icon(picture);
    setIcon(icon);
}

}  // namespace toolkit
