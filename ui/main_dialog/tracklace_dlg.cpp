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
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/about/about_dlg.h"

#include "core/playlist/playlist.h"
#include "platform/code_page/code_page.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/playlist_model.h"
#include "ui/main_dialog/settings_file_warning.h"
#include "ui/main_dialog/toolbar_band.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/help_key.h"
#include "ui/toolkit/icon_button.h"
#include "ui/toolkit/qt_translations.h"
#include "ui/toolkit/registered_message.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/texts.h"
#include "ui/toolkit/user_interaction.h"
#include "ui/toolkit/window_position.h"

CTracklaceDlg::CTracklaceDlg(QWidget* parent)
    : QDialog(parent), m_playlist(std::make_unique<CPlaylist>()) {
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
    m_toolbarSlot = new QVBoxLayout;
    m_toolbarSlot->setSpacing(0);
    outer->addLayout(m_toolbarSlot);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(1);
    m_controls[kToolbarLine] = line;
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

    m_flashTimer1.setSingleShot(true);
    m_flashTimer2.setSingleShot(true);
    connect(&m_flashTimer1, &QTimer::timeout, this, &CTracklaceDlg::OnFlashTimer1);
    connect(&m_flashTimer2, &QTimer::timeout, this, &CTracklaceDlg::OnFlashTimer2);
    m_frameCheck.setInterval(kFrameCheckInterval);
    connect(&m_frameCheck, &QTimer::timeout, this, &CTracklaceDlg::OnFrameCheck);

    // Ctrl+Up, Ctrl+Down and Ctrl+Delete act on the list from every control of the window,
    // before the control itself sees the key.
    qApp->installEventFilter(this);
    toolkit::AnswerHelpKey(this);
}

CTracklaceDlg::~CTracklaceDlg() {
    qApp->removeEventFilter(this);
    // The view must let go of the rows before the playlist's entries go.
    m_model->Reset(nullptr);
}

QWidget* CTracklaceDlg::GetControl(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void CTracklaceDlg::showEvent(QShowEvent* event) {
    if (!m_initializedThisRun) {
        m_initializedThisRun = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CTracklaceDlg::done(int result) {
    // The next opening (a restart) initialises the window again.
    m_initializedThisRun = false;
    QDialog::done(result);
}

void CTracklaceDlg::OnInitDialog() {
    m_initializedThisRun = true;
    WriteBoundTexts();
    InitializeDialog();
}

void CTracklaceDlg::InitializeDialog() {
    const platform::registry::HiveCheck settingsFile = StartSettings();
    WarnAboutSettingsFile(this, settingsFile);
    toolkit::UseQtTranslations(GetLanguageCode());
    setWindowTitle(QString::fromStdString(GetMessageCaption()));
    SetContentTexts();
    SetCreationTexts();
    ApplySettings();
    BuildToolbar();
    GetControl(kTakeover)->setEnabled(false);

    const QString type = QString::fromStdString(GetPropertyString(property::kPlaylistType));
    m_typeList->setCurrentIndex(-1);
    for (int i = 0; i < m_typeList->count(); ++i) {
        if (type.startsWith(m_typeList->itemText(i), Qt::CaseInsensitive)) {
            m_typeList->setCurrentIndex(i);
            break;
        }
    }
    GetControl(kCreatePlaylist)->setFocus();
    FitListToScreen();
    RestoreWindowPosition();
    WatchTheFrame();
    RefreshList();
    // The takeover button follows the song folder, which may survive a restart.
    toolkit::PostRegisteredMessage(this, kUpdateTakeoverButtonMessage);
}

void CTracklaceDlg::ApplySettings() {
    SelectSaveLocation(GetPropertyString(property::kSelectPlaylistFolder));
    m_activeFileTypes.clear();
    LoadActiveFileTypes(m_activeFileTypes);
    m_transparencyEnabled = GetPropertyInt(property::kTransparency) != 0;
    if (m_transparencyEnabled) {
        m_alpha = 255;
        ApplyAlpha(m_alpha);
    } else if (windowOpacity() < 1.0) {
        // Switched off while faded: back to fully opaque.
        setWindowOpacity(1.0);
    }
}

void CTracklaceDlg::ApplyAlpha(int alpha) {
    setWindowOpacity(alpha / 255.0);
}

void CTracklaceDlg::OnActivateApp(bool active) {
    if (!m_transparencyEnabled) {
        return;
    }
    if (active) {
        m_alpha = 255;
        ApplyAlpha(m_alpha);
        return;
    }
    // A short fade rather than a jump; the window then waits at 200 for the user to return.
    while (m_alpha > kInactiveAlpha) {
        m_alpha -= kAlphaStep;
        ApplyAlpha(m_alpha);
        QThread::msleep(10);
    }
    m_alpha = kInactiveAlpha;
}

namespace {

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
    m_toolbarBand = new CToolbarBand(this);
    m_toolbarBand->setFixedHeight(kToolbarHeight);
    auto* bandLayout = new QHBoxLayout(m_toolbarBand);
    bandLayout->setContentsMargins(2, 0, 0, 0);
    m_toolbar = new QToolBar(m_toolbarBand);
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setStyleSheet("QToolBar { background: transparent; border: none; }");
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
        const QString text = toolkit::Text(button.key);
        QAction* action = m_toolbar->addAction(ToolbarIcon(button.picture), text);
        // The button shows the text as it is: its blanks are the spacing between the
        // buttons, and its "&" makes the Alt shortcut (an action's own button text would
        // lose both).
        action->setIconText(text);
        if (button.command != nullptr) {
            connect(action, &QAction::triggered, this, button.command);
        } else {
            connect(action, &QAction::triggered, this, [] { ShowHelp(); });
        }
    }
    for (QAction* action : m_toolbar->actions()) {
        if (QWidget* widget = m_toolbar->widgetForAction(action)) {
            widget->setMinimumSize(31, 32);
            // Reachable with Tab like every other control of the window.
            widget->setFocusPolicy(Qt::TabFocus);
        }
    }
    // The window menu of the desktop cannot take entries of a program; the band's own
    // menu offers what the window menu would.
    m_toolbarBand->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_toolbarBand, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = CreateBandMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_toolbarBand->mapToGlobal(at));
    });
    bandLayout->addWidget(m_toolbar);
    bandLayout->addStretch(1);
    m_toolbarSlot->addWidget(m_toolbarBand);
}

void CTracklaceDlg::ReleaseToolbar() {
    if (m_toolbarBand == nullptr) {
        return;
    }
    // A restart is asked for from the toolbar's own Settings button, which is still
    // handling its click: the band leaves the window now and is deleted once that is over.
    m_toolbarBand->hide();
    m_toolbarSlot->removeWidget(m_toolbarBand);
    m_toolbarBand->deleteLater();
    m_toolbarBand = nullptr;
    m_toolbar = nullptr;
}

QMenu* CTracklaceDlg::CreateBandMenu() {
    auto* menu = new QMenu(m_toolbarBand);
    connect(menu->addAction(toolkit::Text("IDS_ABOUTBOX")), &QAction::triggered, this,
            &CTracklaceDlg::OnAbout);
    return menu;
}

QAction* CTracklaceDlg::GetToolbarAction(int position) const {
    if (m_toolbar == nullptr || position < 0 || position >= m_toolbar->actions().size()) {
        return nullptr;
    }
    return m_toolbar->actions().at(position);
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

QMargins CTracklaceDlg::FrameMargins(bool* known) const {
    const QWindow* handle = windowHandle();
    const QMargins live = handle != nullptr ? handle->frameMargins() : QMargins();
    *known = !live.isNull();
    if (*known) {
        return live;
    }
    // Not on screen yet: the frame of the last run, the same on both sides.
    const int side = GetPropertyInt(property::kWindowFrameLeft);
    const int top = GetPropertyInt(property::kWindowFrameTop);
    return {side, top, side, side};
}

void CTracklaceDlg::FitListToScreen() {
    // The list is 144 units tall, less where the window would not fit the screen otherwise
    // (large fonts on a small screen), but never less than a few rows: it scrolls. The
    // column of buttons beside it gives way with it, first its gaps, then a little of each
    // button.
    const int wanted = toolkit::DialogUnitsToPixels(this, 0, kListHeightDlu).height();
    const int wantedGap = toolkit::DialogUnitsToPixels(this, 0, kButtonGapDlu).height();
    const int wantedButton = ListButtonSize().height();
    SetListHeight(wanted, wantedGap, wantedButton);
    const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (display == nullptr) {
        return;
    }
    bool frameKnown = false;
    const QMargins frame = FrameMargins(&frameKnown);
    const int excess =
        LaidOutHeight() + frame.top() + frame.bottom() - display->availableGeometry().height();
    if (excess <= 0) {
        return;
    }
    const int fewest = m_list->header()->sizeHint().height() +
                       kFewestListRows * m_list->fontMetrics().height() + 2 * m_list->frameWidth();
    const int buttons = static_cast<int>(m_listButtons.size());
    const int list = std::max({std::min(fewest, wanted), wanted - excess,
                               std::min(wanted, buttons * kSmallestListButton)});
    const int gaps = static_cast<int>(m_buttonGaps.size());
    const int gap = std::clamp((list - buttons * wantedButton) / gaps, 0, wantedGap);
    const int button = std::clamp((list - gaps * gap) / buttons, kSmallestListButton, wantedButton);
    SetListHeight(list, gap, button);
}

int CTracklaceDlg::LaidOutHeight() const {
    // From the layout itself: the window takes its new size only with the next layout pass,
    // and its word-wrapped texts need their height for the window's width.
    const QLayout* outer = layout();
    const QSize hint = outer->totalSizeHint();
    return outer->hasHeightForWidth()
               ? std::max(hint.height(), outer->totalHeightForWidth(hint.width()))
               : hint.height();
}

QSize CTracklaceDlg::ListButtonSize() const {
    return toolkit::DialogUnitsToPixels(this, 19, 19).expandedTo(QSize(30, 30));
}

void CTracklaceDlg::SetListHeight(int height, int buttonGap, int buttonHeight) {
    m_list->setFixedHeight(height);
    for (QSpacerItem* spacer : m_buttonGaps) {
        spacer->changeSize(0, buttonGap, QSizePolicy::Minimum, QSizePolicy::Fixed);
    }
    for (QWidget* button : m_listButtons) {
        button->setFixedHeight(buttonHeight);
    }
    // Fixed sizes and spacers do not tell the layouts above them; the group does.
    QWidget* group = GetControl(kGroupContent);
    group->layout()->invalidate();
    group->updateGeometry();
    layout()->invalidate();
    layout()->activate();
}

void CTracklaceDlg::RestoreWindowPosition() {
    QPoint corner(GetPropertyInt(property::kWindowPositionX),
                  GetPropertyInt(property::kWindowPositionY));
    m_minimiseWhenExposed = false;
    if (GetPropertyInt(property::kIsIconic) != 0) {
        // Asked for once the window is on screen: a window manager may not take the state
        // from a window that is still being mapped (openbox shows such a window normally).
        setWindowState(windowState() | Qt::WindowMinimized);
        m_minimiseWhenExposed = true;
        m_minimiseDeadline.setRemainingTime(kMinimiseWaitMs);
        if (QWindow* handle = windowHandle()) {
            handle->removeEventFilter(this);
            handle->installEventFilter(this);
        }
        return;
    }
    m_wantedFrameCorner.reset();
    if (corner.x() < 1 || corner.y() < 1 || !CanPlaceWindows()) {
        return;
    }
    const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (display != nullptr) {
        corner = toolkit::ClampToScreenSize(corner, display->geometry().size());
    }
    bool frameKnown = false;
    const QMargins frame = FrameMargins(&frameKnown);
    QList<QRect> screens;
    for (const QScreen* each : QGuiApplication::screens()) {
        screens.push_back(each->availableGeometry());
    }
    const int titleHeight = std::max(frame.top(), fontMetrics().height());
    corner =
        toolkit::KeepTitleBarOnScreen(QRect(corner, size().grownBy(frame)), titleHeight, screens);
    // The stored corner is the frame's; the window is placed by its client area.
    setGeometry(QRect(toolkit::ClientCornerFor(corner, frame), size()));
    raise();
    m_wantedFrameCorner = corner;
}

void CTracklaceDlg::WatchTheFrame() {
    if (m_minimiseWhenExposed) {
        // A minimised start leaves the window where the desktop puts it when it comes back.
        return;
    }
    bool frameKnown = false;
    m_placedWithFrame = FrameMargins(&frameKnown);
    m_frameChecks = 0;
    if (!frameKnown) {
        // The window manager tells the frame only once the window is on screen; should it
        // differ from the last run's, the window fits itself to the screen again and moves
        // to the stored corner.
        m_frameCheck.start();
    }
    // The word-wrapped texts take their final height only in the first layout on screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isMinimized()) {
            RefitOnScreen();
        }
    });
}

void CTracklaceDlg::RefitOnScreen() {
    const int before = LaidOutHeight();
    FitListToScreen();
    bool frameKnown = false;
    const QMargins frame = FrameMargins(&frameKnown);
    if (m_wantedFrameCorner) {
        setGeometry(QRect(toolkit::ClientCornerFor(*m_wantedFrameCorner, frame), size()));
        return;
    }
    if (LaidOutHeight() == before && !frameKnown) {
        return;
    }
    // Centred as at its opening, now with its final size and frame, the title bar on the
    // screen.
    const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (display == nullptr || !CanPlaceWindows()) {
        return;
    }
    const QRect area = display->availableGeometry();
    const QSize outer = size().grownBy(frame);
    const QPoint corner(area.left() + std::max(0, (area.width() - outer.width()) / 2),
                        area.top() + std::max(0, (area.height() - outer.height()) / 2));
    setGeometry(QRect(toolkit::ClientCornerFor(corner, frame), size()));
}

void CTracklaceDlg::OnFrameCheck() {
    const QWindow* handle = windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    if (!frame.isNull() && frame != m_placedWithFrame) {
        m_frameCheck.stop();
        if (!isMinimized()) {
            RefitOnScreen();
        }
        return;
    }
    if (++m_frameChecks >= kFrameChecks) {
        m_frameCheck.stop();
    }
}

void CTracklaceDlg::ReadBoundTexts() {
    m_saveLocation = m_saveLocationEdit->text().toStdString();
    m_songFolder = m_songFolderEdit->text().toStdString();
    m_playlistName = m_nameEdit->text().toStdString();
}

void CTracklaceDlg::WriteBoundTexts() {
    m_saveLocationEdit->setText(QString::fromStdString(m_saveLocation));
    m_songFolderEdit->setText(QString::fromStdString(m_songFolder));
    m_nameEdit->setText(QString::fromStdString(m_playlistName));
}

bool CTracklaceDlg::event(QEvent* event) {
    if (event->type() == toolkit::RegisteredMessage(kUpdateTakeoverButtonMessage)) {
        OnUpdateTakeoverButton();
        return true;
    }
    return QDialog::event(event);
}

bool CTracklaceDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        OnWindowExposed();
    } else if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this &&
            HandleListShortcut(widget, *static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTracklaceDlg::OnWindowExposed() {
    if (!m_minimiseWhenExposed || !windowHandle()->isExposed()) {
        return;
    }
    m_minimiseWhenExposed = false;
    // Exposed right after the start means shown normally after all: the request goes to the
    // window manager again. Later, it is the user who brought the window back.
    if (!m_minimiseDeadline.hasExpired()) {
        QTimer::singleShot(0, this, [this] {
            if (QWindow* handle = windowHandle()) {
                handle->showMinimized();
            }
        });
    }
}

bool CTracklaceDlg::HandleListShortcut(QWidget* target, const QKeyEvent& key) {
    if ((key.modifiers() & Qt::ControlModifier) == 0) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_Up:
            OnMoveUp();
            return true;
        case Qt::Key_Down:
            OnMoveDown();
            return true;
        case Qt::Key_Delete: {
            // In a field the user types into, Ctrl+Delete deletes a word there, as in every
            // other program; removing an entry instead could not be undone.
            const auto* edit = qobject_cast<const QLineEdit*>(target);
            if (edit != nullptr && !edit->isReadOnly()) {
                return false;
            }
            OnRemoveItem();
            return true;
        }
        default:
            return false;
    }
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
    m_frameCheck.stop();
    const QRect frame = frameGeometry();
    const QPoint inset = geometry().topLeft() - frame.topLeft();
    const bool insetKnown = !isMinimized() && inset.x() >= 0 && inset.y() >= 0;
    const std::string type = m_typeList->currentText().toStdString();
    const int iconic = isMinimized() ? 1 : 0;
    // One write, so that a crash never keeps half of the window's state.
    if (insetKnown) {
        SetProperties({{property::kWindowPositionX, frame.left()},
                       {property::kWindowPositionY, frame.top()},
                       {property::kIsIconic, iconic},
                       {property::kWindowFrameLeft, inset.x()},
                       {property::kWindowFrameTop, inset.y()},
                       {property::kPlaylistType, type}});
    } else {
        SetProperties({{property::kWindowPositionX, frame.left()},
                       {property::kWindowPositionY, frame.top()},
                       {property::kIsIconic, iconic},
                       {property::kPlaylistType, type}});
    }
}

void CTracklaceDlg::FlashControl(QWidget* control, const QColor& color) {
    if (control == nullptr) {
        return;
    }
    // A flash still running ends first, but the new one never waits longer than 250 ms.
    QElapsedTimer waited;
    waited.start();
    while (m_flashControl != nullptr && waited.elapsed() < 250) {
        QEventLoop slice;
        QTimer::singleShot(15, &slice, &QEventLoop::quit);
        slice.exec();
    }
    if (m_flashControl != nullptr) {
        OnFlashTimer2();
    }
    m_flashControl = control;
    m_flashSavedPalette = control->palette();
    m_flashSavedAutoFill = control->autoFillBackground();
    QPalette flash = m_flashSavedPalette;
    flash.setColor(QPalette::Base, color);
    flash.setColor(QPalette::Window, color);
    control->setPalette(flash);
    control->setAutoFillBackground(true);
    m_flashTimer1.start(0);
}

void CTracklaceDlg::OnFlashTimer1() {
    if (m_flashControl != nullptr) {
        m_flashControl->update();
    }
    m_flashTimer2.start(150);
}

void CTracklaceDlg::OnFlashTimer2() {
    m_flashTimer1.stop();
    m_flashTimer2.stop();
    if (QWidget* control = m_flashControl) {
        control->setPalette(m_flashSavedPalette);
        control->setAutoFillBackground(m_flashSavedAutoFill);
        control->update();
    }
    m_flashControl = nullptr;
}
