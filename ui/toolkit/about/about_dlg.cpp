#include "ui/toolkit/about/about_dlg.h"

#include <QBitmap>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "platform/resources/resources.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/user_interaction.h"

namespace {

QPixmap LoadPicture(const char* name) {
    QPixmap picture;
    if (const auto bytes = platform::FindResource("PNG", name)) {
        picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                             static_cast<uint>(bytes->size()), "PNG");
    }
    return picture;
}

QString Text(const char* key) {
    return QString::fromStdString(GetText(key));
}

// Where the texts sit on the picture, in pixels from its top left corner.
constexpr int kTextLeft = 100;
constexpr int kVersionTop = 115;
constexpr int kCopyrightTop = 140;
constexpr int kRightsTop = 155;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent, platform::MidiStreamFactory midiOutput)
    : QDialog(parent), midi_(std::move(midiOutput)) {
    setWindowTitle(QString::fromStdString(GetMessageCaption()));
    background_ = LoadPicture("ABOUT_BACKGROUND");
    const QSize size = background_.isNull() ? QSize(356, 248) : background_.size();
    setFixedSize(size);

    // The button picture's magenta is see-through, so the background shows around the logo.
    QPixmap logo = LoadPicture("ABOUT_WEB_BUTTON");
    if (!logo.isNull()) {
        logo.setMask(logo.createMaskFromColor(QColor(255, 0, 255)));
    }
    webButton_ = new QPushButton(this);
    webButton_->setObjectName("makerButton");
    webButton_->setFlat(true);
    webButton_->setFocusPolicy(Qt::NoFocus);
    webButton_->setIcon(QIcon(logo));
    webButton_->setIconSize(logo.size());
    webButton_->setFixedSize(logo.isNull() ? QSize(32, 32) : logo.size());
    webButton_->setStyleSheet("QPushButton { border: none; background: transparent; }");
    webButton_->setCursor(Qt::PointingHandCursor);
    webButton_->move(size.width() - webButton_->width() - 2, 2);
    connect(webButton_, &QPushButton::clicked, this, &CAboutDlg::OpenMakerWebPage);

    auto makeLine = [this](const QString& text, const char* name, int top) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        // Dark text on the light lower band of the picture, whatever the desktop theme is.
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0x24, 0x2a, 0x3a));
        label->setPalette(palette);
        label->adjustSize();
        label->move(kTextLeft, top);
        return label;
    };
    version_ = makeLine(Text("IDS_VERSION") + " " + QString::fromStdString(GetVersionText(1)),
                        "versionText", kVersionTop);
    copyright_ = makeLine(Text("IDS_COPYRIGHT"), "copyrightText", kCopyrightTop);
    rights_ = makeLine(Text("IDS_ALL_RIGHTS_RESERVED"), "rightsText", kRightsTop);

    ok_ = new QPushButton(Text("IDS_OK"), this);
    ok_->setObjectName("okButton");
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    ok_->resize(ok_->sizeHint());
    ok_->move(size.width() - ok_->width() - 5, size.height() - ok_->height() - 5);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(rect(), QColor(0xf4, 0xf1, 0xe8));
    } else {
        painter.drawPixmap(rect(), background_);
    }
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
    // F1 reaches the box from whichever control has the focus, as the help request does.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!musicStarted_) {
        musicStarted_ = true;
        if (GetPropertyInt("prop_PlaySound", 1) != 0) {
            StartMusic();
        }
    }
}

void CAboutDlg::StartMusic() {
    // A box opened a second time plays the song from its start again.
    if (midi_.IsSongLoaded()) {
        midi_.HaltPlayback(true);
    } else {
        midi_.LoadSong(kSongResource);
    }
    midi_.StartPlayback(true);
    midi_.SetChannelVolumes(100);
}

void CAboutDlg::done(int result) {
    // The music stops the moment the box goes, not when its object is destroyed later.
    midi_.HaltPlayback(false);
    musicStarted_ = false;
    QDialog::done(result);
}

void CAboutDlg::OpenMakerWebPage() {
    toolkit::UserInteraction().OpenUrl(kMakerWebPage);
}
