#pragma once

#include <QIcon>
#include <QToolButton>

namespace toolkit {

// A flat button that shows a picture instead of a caption, a second picture while the
// pointer is over it, and its meaning as a tooltip.
class CIconButton : public QToolButton {
    Q_OBJECT
public:
    explicit CIconButton(QWidget* parent = nullptr);

    // Pictures of the embedded resources ("PNG", name); a missing hover picture keeps the
    // normal one.
    void SetIcons(const QPixmap& normal, const QPixmap& hover, int size);
    void SetIconResources(const char* normalName, const char* hoverName, int size);

    bool IsHovered() const { return m_hovered; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowIcon();

    QPixmap m_normal;
    QPixmap m_hover;
    bool m_hovered = false;
};

}  // namespace toolkit
