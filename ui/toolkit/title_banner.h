#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace toolkit {

// The title band along the top of a dialog: a background picture, a bold title, a detail
// line below it, indented, and an icon at the right. Its height follows the font, so that
// both lines fit at every font size; the texts are white, the picture dark enough for them.
class CTitleBanner : public QWidget {
    Q_OBJECT
public:
    CTitleBanner(const QPixmap& picture, const QPixmap& icon, QString title, QString detail,
                 QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int Padding() const;
    QFont TitleFont() const;

    QPixmap m_picture;
    QPixmap m_icon;
    QString m_title;
    QString m_detail;
};

}  // namespace toolkit
