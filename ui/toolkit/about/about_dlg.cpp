#include "ui/toolkit/about/about_dlg.h"

#include <QBitmap>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/help_key.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/texts.h"
#include "ui/toolkit/user_interaction.h"

namespace {

// Where the texts sit on the picture, in pixels from its top left corner.
constexpr int kTextLeft = 100;
constexpr int kVersionTop = 115;
constexpr int kCopyrightTop = 140;
constexpr int kRightsTop = 155;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent, platform::MidiStreamFactory midiOutput)
    : QDialog(parent),
      m_output(midiOutput ? std::move(midiOutput)
                          : platform::MidiStreamFactory(platform::OpenMidiStream)),
      // The player opens no output of its own: it plays on the one opened in the background.
      m_midi([this](int device, platform::MidiStreamCallback callback,
                    std::unique_ptr<platform::IMidiStream>* stream) {
          return m_opener != nullptr ? m_opener->Take(device, std::move(callback), stream)
                                     : static_cast<int>(platform::kMidiNoDevice);
      }) {
    setWindowTitle(QString::fromStdString(GetMessageCaption()));
    m_background = toolkit::LoadResourcePixmap("PNG", "ABOUT_BACKGROUND");
    const QSize size = m_background.isNull() ? QSize(356, 248) : m_background.size();
    setFixedSize(size);

    // The button picture's magenta is see-through, so the background shows around the logo.
    QPixmap logo = toolkit::LoadResourcePixmap("PNG", "ABOUT_WEB_BUTTON");
    if (!logo.isNull()) {
        logo.setMask(logo.createMaskFromColor(QColor(255, 0, 255)));
    }
    m_webButton = new QPushButton(this);
    m_webButton->setObjectName("makerButton");
    m_webButton->setFlat(true);
    m_webButton->setFocusPolicy(Qt::NoFocus);
    m_webButton->setIcon(QIcon(logo));
    m_webButton->setIconSize(logo.size());
    m_webButton->setFixedSize(logo.isNull() ? QSize(32, 32) : logo.size());
    m_webButton->setStyleSheet("QPushButton { border: none; background: transparent; }");
    m_webButton->setCursor(Qt::PointingHandCursor);
    m_webButton->move(size.width() - m_webButton->width() - 2, 2);
    connect(m_webButton, &QPushButton::clicked, this, &CAboutDlg::OpenMakerWebPage);

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
    m_version =
        makeLine(toolkit::Text("IDS_VERSION") + " " + QString::fromStdString(GetVersionText(1)),
                 "versionText", kVersionTop);
    m_copyright = makeLine(toolkit::Text("IDS_COPYRIGHT"), "copyrightText", kCopyrightTop);
    m_rights = makeLine(toolkit::Text("IDS_ALL_RIGHTS_RESERVED"), "rightsText", kRightsTop);

    m_ok = new QPushButton(toolkit::Text("IDS_OK"), this);
    m_ok->setObjectName("okButton");
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_ok->resize(m_ok->sizeHint());
    m_ok->move(size.width() - m_ok->width() - 5, size.height() - m_ok->height() - 5);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    // F1 reaches the box from whichever control has the focus, as the help request does.
    toolkit::AnswerHelpKey(this);
}

CAboutDlg::~CAboutDlg() {
    // An opening still under way ends here, while the box can still take its message.
    m_opener.reset();
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(rect(), QColor(0xf4, 0xf1, 0xe8));
    } else {
        painter.drawPixmap(rect(), m_background);
    }
}

void CAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_musicStarted) {
        m_musicStarted = true;
        if (GetPropertyInt(property::kPlaySound) != 0) {
            StartMusic();
        }
    }
}

void CAboutDlg::StartMusic() {
    // The output opens on a thread of its own and the box shows at once; the music starts
    // when the output is ready. A box shown again while an opening is under way uses it.
    m_musicWanted = true;
    if (m_opener == nullptr) {
        m_opener = std::make_unique<platform::MidiStreamOpener>(m_output, -1, [this] {
            QMetaObject::invokeMethod(this, &CAboutDlg::PlayOnOpenedOutput, Qt::QueuedConnection);
        });
    }
}

void CAboutDlg::PlayOnOpenedOutput() {
    if (m_opener == nullptr || !m_opener->IsDone()) {
        return;  // the message of an opening that was dropped already
    }
    if (m_musicWanted) {
        // A box opened a second time plays the song from its start again.
        if (m_midi.IsSongLoaded()) {
            m_midi.HaltPlayback(true);
        } else {
            m_midi.LoadSong(kSongResource);
        }
        m_midi.StartPlayback(true);
        m_midi.SetChannelVolumes(100);
    }
    // Closes the stream when the box was closed before the output was ready.
    m_opener.reset();
}

void CAboutDlg::done(int result) {
    // The music stops the moment the box goes, not when its object is destroyed later.
    m_musicWanted = false;
    m_midi.HaltPlayback(false);
    m_musicStarted = false;
    QDialog::done(result);
}

void CAboutDlg::OpenMakerWebPage() {
    toolkit::UserInteraction().OpenUrl(kMakerWebPage);
}
