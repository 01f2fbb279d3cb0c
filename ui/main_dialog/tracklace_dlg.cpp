#include "ui/main_dialog/tracklace_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/playlist/playlist.h"
#include "settings/language/language.h"
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

    auto* layout = new QVBoxLayout(this);
    // The window keeps the size its contents need, whatever the language: not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    toolbarSlot_ = new QVBoxLayout;
    layout->addLayout(toolbarSlot_);
    BuildContentPart(layout);
    BuildCreationPart(layout);

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
    RefreshList();
    // The takeover button follows the song folder, which may survive a restart.
    toolkit::PostRegisteredMessage(this, kUpdateTakeoverButtonMessage);
}

void CTracklaceDlg::ApplySettings() {
    SelectSaveLocation(GetPropertyString("prop_SelectPlaylistFolder", ""));
    activeFileTypes_.clear();
    LoadActiveFileTypes(activeFileTypes_);
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
