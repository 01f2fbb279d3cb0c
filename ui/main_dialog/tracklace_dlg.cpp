#include "ui/main_dialog/tracklace_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/about/about_dlg.h"

#include "core/playlist/playlist.h"
#include "platform/code_page/code_page.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/playlist_model.h"
#include "ui/toolkit/icon_button.h"
#include "ui/toolkit/registered_message.h"
#include "ui/toolkit/user_interaction.h"

CTracklaceDlg::CTracklaceDlg(QWidget* parent)
    : QDialog(parent), playlist_(std::make_unique<CPlaylist>()) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(toolkit::LoadResourcePixmap("ICON", "TRACKLACE")));

    // The toolbar band spans the whole client width; the two groups keep the usual margins.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    // The window keeps the size its contents need, whatever the language: not resizable.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    toolbarSlot_ = new QVBoxLayout;
    toolbarSlot_->setSpacing(0);
    outer->addLayout(toolbarSlot_);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(1);
    controls_[kToolbarLine] = line;
    outer->addWidget(line);
    auto* layout = new QVBoxLayout;
    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    layout->setContentsMargins(margin, margin, margin, margin);
    outer->addLayout(layout);
    BuildContentPart(layout);
    BuildCreationPart(layout);

    // Another program becoming active fades the window (when the user wants that).
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (isVisible()) {
                    OnActivateApp(state == Qt::ApplicationActive);
                }
            });

    flashTimer1_.setSingleShot(true);
    flashTimer2_.setSingleShot(true);
    connect(&flashTimer1_, &QTimer::timeout, this, &CTracklaceDlg::OnFlashTimer1);
    connect(&flashTimer2_, &QTimer::timeout, this, &CTracklaceDlg::OnFlashTimer2);

    // Ctrl+Up, Ctrl+Down and Ctrl+Delete act on the list from every control of the window,
    // before the control itself sees the key.
    qApp->installEventFilter(this);
}

CTracklaceDlg::~CTracklaceDlg() {
    qApp->removeEventFilter(this);
    // The view must let go of the rows before the playlist's entries go.
    model_->Reset(nullptr);
}

QWidget* CTracklaceDlg::GetControl(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void CTracklaceDlg::showEvent(QShowEvent* event) {
    if (!initializedThisRun_) {
        initializedThisRun_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CTracklaceDlg::done(int result) {
    // The next opening (a restart) initialises the window again.
    initializedThisRun_ = false;
    QDialog::done(result);
}

void CTracklaceDlg::OnInitDialog() {
    initializedThisRun_ = true;
    WriteBoundTexts();
    InitializeDialog();
}

void CTracklaceDlg::InitializeDialog() {
    if (GetPropertyInt("prop_FirstTimeInitComplete", 0) == 0) {
        InitializeFirstRun();
        SetPropertyInt("prop_FirstTimeInitComplete", 1);
    }
    setWindowTitle(QString::fromStdString(GetMessageCaption()));
    SetContentTexts();
    SetCreationTexts();
    ApplySettings();
    BuildToolbar();
    GetControl(kTakeover)->setEnabled(false);

    const QString type = QString::fromStdString(GetPropertyString("prop_PlaylistType", ".pls"));
    typeList_->setCurrentIndex(-1);
    for (int i = 0; i < typeList_->count(); ++i) {
        if (type.startsWith(typeList_->itemText(i), Qt::CaseInsensitive)) {
            typeList_->setCurrentIndex(i);
            break;
        }
    }
    GetControl(kCreatePlaylist)->setFocus();
    RestoreWindowPosition();
    RefreshList();
    // The takeover button follows the song folder, which may survive a restart.
    toolkit::PostRegisteredMessage(this, kUpdateTakeoverButtonMessage);
}

void CTracklaceDlg::ApplySettings() {
    SelectSaveLocation(GetPropertyString("prop_SelectPlaylistFolder", ""));
    activeFileTypes_.clear();
    LoadActiveFileTypes(activeFileTypes_);
    transparencyEnabled_ = GetPropertyInt("prop_Transparency", 0) != 0;
    if (transparencyEnabled_) {
        alpha_ = 255;
        ApplyAlpha(alpha_);
    } else if (windowOpacity() < 1.0) {
        // Switched off while faded: back to fully opaque.
        setWindowOpacity(1.0);
    }
}

void CTracklaceDlg::ApplyAlpha(int alpha) {
    setWindowOpacity(alpha / 255.0);
}

void CTracklaceDlg::OnActivateApp(bool active) {
    if (!transparencyEnabled_) {
        return;
    }
    if (active) {
        alpha_ = 255;
        ApplyAlpha(alpha_);
        return;
    }
    // A short fade rather than a jump; the window then waits at 200 for the user to return.
    while (alpha_ > kInactiveAlpha) {
        alpha_ -= kAlphaStep;
        ApplyAlpha(alpha_);
        QThread::msleep(10);
    }
    alpha_ = kInactiveAlpha;
}

namespace {

// The band behind the toolbar: its picture stretched over the whole band.
class CToolbarBand : public QWidget {
public:
    explicit CToolbarBand(QWidget* parent) : QWidget(parent) {
        background_ = toolkit::LoadResourcePixmap("PNG", "TOOLBAR_BACKGROUND");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (background_.isNull()) {
            painter.fillRect(rect(), palette().window());
        } else {
            painter.drawPixmap(rect(), background_);
        }
    }

private:
    QPixmap background_;
};

QIcon ToolbarIcon(const char* name) {
    QIcon icon;
    const QPixmap normal = toolkit::LoadResourcePixmap("PNG", name);
    const QPixmap hot = toolkit::LoadResourcePixmap("PNG", (std::string(name) + "_HOT").c_str());
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(hot.isNull() ? normal : hot, QIcon::Active);
    return icon;
}

}  // namespace

void CTracklaceDlg::BuildToolbar() {
    ReleaseToolbar();
    toolbarBand_ = new CToolbarBand(this);
    toolbarBand_->setFixedHeight(kToolbarHeight);
    auto* bandLayout = new QHBoxLayout(toolbarBand_);
    bandLayout->setContentsMargins(2, 0, 0, 0);
    toolbar_ = new QToolBar(toolbarBand_);
    toolbar_->setIconSize(QSize(24, 24));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setStyleSheet("QToolBar { background: transparent; border: none; }");
    const struct {
        const char* picture;
        const char* key;
        void (CTracklaceDlg::*command)();
    } buttons[] = {
        {"TOOLBAR_SETTINGS", "IDS_TL_TOOLBAR_MAIN_DIALOG_SETTINGS", &CTracklaceDlg::OnSettings},
        {"TOOLBAR_HELP", "IDS_TL_TOOLBAR_MAIN_DIALOG_HELP", nullptr},
        {"TOOLBAR_ABOUT", "IDS_TL_TOOLBAR_MAIN_DIALOG_ABOUT", &CTracklaceDlg::OnAbout},
    };
    for (const auto& button : buttons) {
        // The texts keep their blanks: they are the spacing between the buttons.
        QAction* action = toolbar_->addAction(ToolbarIcon(button.picture),
                                              QString::fromStdString(GetText(button.key)));
        if (button.command != nullptr) {
            connect(action, &QAction::triggered, this, button.command);
        } else {
            connect(action, &QAction::triggered, this, [] { ShowHelp(); });
        }
    }
    for (QAction* action : toolbar_->actions()) {
        if (QWidget* widget = toolbar_->widgetForAction(action)) {
            widget->setMinimumSize(31, 32);
        }
    }
    bandLayout->addWidget(toolbar_);
    bandLayout->addStretch(1);
    toolbarSlot_->addWidget(toolbarBand_);
}

void CTracklaceDlg::ReleaseToolbar() {
    if (toolbarBand_ == nullptr) {
        return;
    }
    // A restart is asked for from the toolbar's own Settings button, which is still
    // handling its click: the band leaves the window now and is deleted once that is over.
    toolbarBand_->hide();
    toolbarSlot_->removeWidget(toolbarBand_);
    toolbarBand_->deleteLater();
    toolbarBand_ = nullptr;
    toolbar_ = nullptr;
}

QAction* CTracklaceDlg::GetToolbarAction(int position) const {
    if (toolbar_ == nullptr || position < 0 || position >= toolbar_->actions().size()) {
        return nullptr;
    }
    return toolbar_->actions().at(position);
}

void CTracklaceDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CTracklaceDlg::OnSettings() {
    const std::string before = GetLanguageCode();
    CPropSheetSettings::Run(this);
    ApplySettings();
    const std::string after = GetLanguageCode();
    if (after == before) {
        return;
    }
    // Both names come from the table still in use, the language the user is leaving.
    const std::string question =
        ReplaceTags(GetText("IDS_TL_MB_RESTART_LANGUAGE_CHANGED"), "LNG_BEFORE",
                    GetText("IDS_LANGUAGE_" + platform::Utf8ToUpper(before)), "LNG_AFTER",
                    GetText("IDS_LANGUAGE_" + platform::Utf8ToUpper(after)));
    if (toolkit::ShowMessage(this, question, toolkit::MessageIcon::Question,
                             toolkit::MessageButtons::YesNo) != toolkit::MessageAnswer::Yes) {
        return;
    }
    PrepareRestart();
    done(kRestartResult);
}

void CTracklaceDlg::PrepareRestart() {
    ReadBoundTexts();
    SaveWindowState();
    ReloadTexts();
    ReleaseToolbar();
}

namespace {

// Wayland leaves the placing of windows to the compositor: a program cannot put its
// window anywhere, so a stored position is not applied there.
bool CanPlaceWindows() {
    return !QGuiApplication::platformName().startsWith("wayland");
}

}  // namespace

void CTracklaceDlg::RestoreWindowPosition() {
    int x = GetPropertyInt("prop_WindowPositionX", 0);
    int y = GetPropertyInt("prop_WindowPositionY", 0);
    if (GetPropertyInt("prop_IsIconic", 0) != 0) {
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    if (x < 1 || y < 1 || !CanPlaceWindows()) {
        return;
    }
    const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (display != nullptr) {
        const QRect area = display->geometry();
        if (x > area.width()) {
            x = area.width() / 3;
        }
        if (y > area.height()) {
            y = area.height() / 3;
        }
    }
    move(x, y);
    raise();
}

void CTracklaceDlg::ReadBoundTexts() {
    saveLocation_ = saveLocationEdit_->text().toStdString();
    songFolder_ = songFolderEdit_->text().toStdString();
    playlistName_ = nameEdit_->text().toStdString();
}

void CTracklaceDlg::WriteBoundTexts() {
    saveLocationEdit_->setText(QString::fromStdString(saveLocation_));
    songFolderEdit_->setText(QString::fromStdString(songFolder_));
    nameEdit_->setText(QString::fromStdString(playlistName_));
}

bool CTracklaceDlg::event(QEvent* event) {
    if (event->type() == toolkit::RegisteredMessage(kUpdateTakeoverButtonMessage)) {
        OnUpdateTakeoverButton();
        return true;
    }
    return QDialog::event(event);
}

bool CTracklaceDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widget != nullptr && widget->window() == this && key->key() == Qt::Key_F1 &&
            key->modifiers() == Qt::NoModifier) {
            ShowHelp();
            return true;
        }
        if (widget != nullptr && widget->window() == this &&
            (key->modifiers() & Qt::ControlModifier) != 0) {
            switch (key->key()) {
                case Qt::Key_Up:
                    OnMoveUp();
                    return true;
                case Qt::Key_Down:
                    OnMoveDown();
                    return true;
                case Qt::Key_Delete:
                    OnRemoveItem();
                    return true;
                default:
                    break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTracklaceDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnClose();
}

void CTracklaceDlg::OnClose() {
    SaveWindowState();
    done(1);
}

void CTracklaceDlg::SaveWindowState() {
    const QRect frame = frameGeometry();
    SetPropertyInt("prop_WindowPositionX", frame.left());
    SetPropertyInt("prop_WindowPositionY", frame.top());
    SetPropertyInt("prop_IsIconic", isMinimized() ? 1 : 0);
    SetPropertyString("prop_PlaylistType", typeList_->currentText().toStdString());
}

void CTracklaceDlg::FlashControl(QWidget* control, const QColor& color) {
    if (control == nullptr) {
        return;
    }
    // A flash still running ends first, but the new one never waits longer than 250 ms.
    QElapsedTimer waited;
    waited.start();
    while (flashControl_ != nullptr && waited.elapsed() < 250) {
        QEventLoop slice;
        QTimer::singleShot(15, &slice, &QEventLoop::quit);
        slice.exec();
    }
    if (flashControl_ != nullptr) {
        OnFlashTimer2();
    }
    flashControl_ = control;
    flashSavedPalette_ = control->palette();
    flashSavedAutoFill_ = control->autoFillBackground();
    QPalette flash = flashSavedPalette_;
    flash.setColor(QPalette::Base, color);
    flash.setColor(QPalette::Window, color);
    control->setPalette(flash);
    control->setAutoFillBackground(true);
    flashTimer1_.start(0);
}

void CTracklaceDlg::OnFlashTimer1() {
    if (flashControl_ != nullptr) {
        flashControl_->update();
    }
    flashTimer2_.start(150);
}

void CTracklaceDlg::OnFlashTimer2() {
    flashTimer1_.stop();
    flashTimer2_.stop();
    if (QWidget* control = flashControl_) {
        control->setPalette(flashSavedPalette_);
        control->setAutoFillBackground(flashSavedAutoFill_);
        control->update();
    }
    flashControl_ = nullptr;
}
