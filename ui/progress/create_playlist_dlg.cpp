#include "ui/progress/create_playlist_dlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/playlist/playlist.h"
#include "platform/resources/resources.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/help_key.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/texts.h"
#include "ui/toolkit/title_banner.h"
#include "ui/toolkit/user_interaction.h"

namespace {

QEvent::Type PostedMessageType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace

void CDialogMessageTarget::Post(platform::CMessage message) {
    // A message this call makes obsolete; destroyed (with its text) after the lock is
    // released, so that the user-interface thread never waits for a free.
    std::optional<platform::CMessage> superseded;
    {
        std::lock_guard lock(m_lock);
        if (m_receiver == nullptr) {
            superseded.emplace(std::move(message));
        } else if (message.GetNumber() == ProgressInfoMessage() && !m_queue.empty() &&
                   m_queue.back().GetNumber() == ProgressInfoMessage()) {
            // The job sends a progress text per entry. Only the latest one not yet taken can
            // ever be shown, so it replaces the one before it instead of queueing behind it;
            // a mark in between keeps both, so the order of marks and texts stays.
            superseded.emplace(std::exchange(m_queue.back(), std::move(message)));
        } else {
            m_queue.push_back(std::move(message));
            // One event wakes the receiver for everything queued until it comes back
            // empty-handed: an event per message would wake the user-interface thread once
            // per playlist entry.
            if (!m_wakePending) {
                m_wakePending = true;
                QCoreApplication::postEvent(m_receiver, new QEvent(PostedMessageType()));
            }
        }
    }
}

bool CDialogMessageTarget::Take(std::deque<platform::CMessage>& into, std::size_t most) {
    std::lock_guard lock(m_lock);
    const std::size_t count = std::min(most, m_queue.size());
    const auto end = m_queue.begin() + static_cast<long>(count);
    into.insert(into.end(), std::make_move_iterator(m_queue.begin()), std::make_move_iterator(end));
    m_queue.erase(m_queue.begin(), end);
    if (!m_queue.empty() && m_receiver != nullptr) {
        // The rest comes with the next event, after paints and timers had their turn.
        QCoreApplication::postEvent(m_receiver, new QEvent(PostedMessageType()));
    } else if (count == 0) {
        m_wakePending = false;
    }
    // Having taken some, the receiver comes back by itself (DrainMessages' timer), so
    // the wake stays pending meanwhile.
    return count != 0;
}

void CDialogMessageTarget::Detach() {
    std::vector<platform::CMessage> dropped;
    {
        std::lock_guard lock(m_lock);
        m_receiver = nullptr;
        dropped.swap(m_queue);
    }
}

CCreatePlaylistDlg::CCreatePlaylistDlg(CPlaylist* playlist, QWidget* parent)
    : QDialog(parent), m_playlist(playlist), m_target(this) {
    if (m_playlist != nullptr) {
        m_job =
            std::make_unique<CCreationJob>(*m_playlist, m_target, CancelEvent(), ContinueEvent());
    }
    setModal(true);
    // A plain dialog frame: a title, and the close box (which is the Cancel command).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(GetMessageCaption()));

    BuildLayout();
    SetMark(0, StepMark::Current);

    toolkit::AnswerHelpKey(this);

    // The worker starts only once the dialog is on screen.
    m_timer = startTimer(25);
}

void CCreatePlaylistDlg::BuildLayout() {
    // The arrangement of the dialog template, in its dialog units: the dialog is 318 units
    // wide, texts and bar 297 of them, the step marks 38 units in with their texts 15
    // units further, 24 units between the last step and the progress text.
    const auto dlu = [this](int x, int y) { return toolkit::DialogUnitsToPixels(this, x, y); };
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    // Not resizable: the dialog takes the size its texts need in the font in use.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->addWidget(
        new toolkit::CTitleBanner(toolkit::LoadResourcePixmap("PNG", "PROGRESS_BANNER"),
                                  toolkit::LoadResourcePixmap("ICON", "TRACKLACE"),
                                  toolkit::Text("IDS_TL_CREATE_PLAYLIST_TITLE"),
                                  toolkit::Text("IDS_TL_CREATE_PLAYLIST_DETAIL_TITLE"), this));

    auto* body = new QVBoxLayout;
    body->setSpacing(0);
    body->setContentsMargins(dlu(10, 0).width(), dlu(0, 10).height(), dlu(11, 0).width(),
                             dlu(0, 5).height());
    outer->addLayout(body);

    const int textWidth = dlu(297, 0).width();
    auto* content = new QLabel(toolkit::Text("IDS_TL_CREATE_PLAYLIST_CONTENT"), this);
    content->setWordWrap(true);
    content->setFixedWidth(textWidth);
    body->addWidget(content);
    body->addSpacing(dlu(0, 10).height());

    auto* status = new QLabel(toolkit::Text("IDS_TL_CREATE_PLAYLIST_STATUS_TITLE"), this);
    status->setContentsMargins(dlu(23, 0).width(), 0, 0, 0);
    body->addWidget(status);
    body->addSpacing(dlu(0, 4).height());

    const char* stepKeys[3] = {"IDS_TL_CREATE_PLAYLIST_STEP_PREPARE",
                               "IDS_TL_CREATE_PLAYLIST_STEP_CREATE",
                               "IDS_TL_CREATE_PLAYLIST_STEP_FINISH"};
    const int rowHeight = std::max(dlu(0, 13).height(), kStepIconSize);
    for (int i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addSpacing(dlu(38, 0).width());
        m_stepIcons[i] = new QLabel(this);
        m_stepIcons[i]->setFixedSize(std::max(dlu(15, 0).width(), kStepIconSize + 4), rowHeight);
        m_stepIcons[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        row->addWidget(m_stepIcons[i]);
        row->addWidget(new QLabel(toolkit::Text(stepKeys[i]), this), 1);
        body->addLayout(row);
    }
    // 24 units from the last step's text to the progress text; the rows hold 2 of them.
    body->addSpacing(dlu(0, 22).height());

    m_progressText = new QLabel(this);
    m_progressText->setFixedWidth(textWidth);
    body->addWidget(m_progressText);
    body->addSpacing(dlu(0, 2).height());
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setFixedSize(textWidth,
                             std::max(dlu(0, 14).height(), m_progress->sizeHint().height()));
    body->addWidget(m_progress);
    body->addSpacing(dlu(0, 5).height());

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(dlu(5, 0).width());
    buttons->addStretch(1);
    m_ok = new QPushButton(toolkit::Text("IDS_OK"), this);
    m_cancel = new QPushButton(toolkit::Text("IDS_CANCEL"), this);
    for (QPushButton* button : {m_ok, m_cancel}) {
        button->setMinimumSize(dlu(50, 14).expandedTo(button->sizeHint()));
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    m_ok->setEnabled(false);
    body->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

CCreatePlaylistDlg::~CCreatePlaylistDlg() {
    EndWorker();
    m_target.Detach();
}

int CCreatePlaylistDlg::Run() {
    return m_job->Run();
}

void CCreatePlaylistDlg::EndWorker() {
    if (IsRunning()) {
        // Nobody is left to answer a question: a running job is cancelled. Its file keeps
        // what was written, as after any cancellation.
        CancelEvent().Set();
    }
    Wait();
}

void CCreatePlaylistDlg::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_timer) {
        killTimer(m_timer);
        m_timer = 0;
        StartRoutine();
        return;
    }
    if (e->timerId() == m_drainTimer) {
        killTimer(m_drainTimer);
        m_drainTimer = 0;
        DrainMessages();
        return;
    }
    if (e->timerId() == m_refreshTimer) {
        ShowProgress();
        return;
    }
    QDialog::timerEvent(e);
}

void CCreatePlaylistDlg::StartRoutine() {
    if (m_job == nullptr) {
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_ERR_CREATE_PLAYLIST"),
                             toolkit::MessageIcon::Stop);
        done(-1);
        return;
    }
    // One second in which the dialog paints and a Cancel press is noticed.
    {
        QEventLoop wait;
        QTimer::singleShot(1000, &wait, &QEventLoop::quit);
        wait.exec();
    }
    if (m_cancelRequested) {
        const auto answer =
            toolkit::ShowMessage(this, GetText("IDS_TL_MB_CANCEL_PLAYLIST_CREATION"),
                                 toolkit::MessageIcon::Question, toolkit::MessageButtons::YesNo);
        if (answer == toolkit::MessageAnswer::Yes) {
            m_started = true;
            m_job->Cancelled();
            return;
        }
    }
    m_cancelRequested = false;
    m_started = true;
    if (!Start()) {
        // Without a worker nothing would ever end the dialog.
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_ERR_CREATE_PLAYLIST"),
                             toolkit::MessageIcon::Stop);
        done(-1);
    }
}

void CCreatePlaylistDlg::OnCancel() {
    m_cancelRequested = true;
    if (!IsRunning() || m_inQuestion) {
        return;
    }
    m_inQuestion = true;
    // The job pauses after its current entry while the user decides.
    ContinueEvent().Reset();
    const auto answer =
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_CANCEL_PLAYLIST_CREATION"),
                             toolkit::MessageIcon::Question, toolkit::MessageButtons::YesNo);
    m_inQuestion = false;
    if (answer == toolkit::MessageAnswer::Yes) {
        CancelEvent().Set();
    } else {
        ContinueEvent().Set();
    }
}

void CCreatePlaylistDlg::reject() {
    // Escape and the close box: while the job can still be cancelled they are the Cancel
    // command; once it has ended they close the dialog like OK.
    if (m_ended) {
        QDialog::reject();
        return;
    }
    OnCancel();
}

void CCreatePlaylistDlg::done(int result) {
    EndWorker();
    QDialog::done(result);
}

bool CCreatePlaylistDlg::event(QEvent* e) {
    if (e->type() == PostedMessageType()) {
        DrainMessages();
        return true;
    }
    return QDialog::event(e);
}

void CCreatePlaylistDlg::DrainMessages() {
    // A bounded batch per turn keeps the window responsive under a flood of entries; while
    // messages keep coming they are fetched every few milliseconds rather than woken for.
    if (m_target.Take(m_inbox, 512) && m_drainTimer == 0) {
        m_drainTimer = startTimer(10);
    }
    // The batch waits in the inbox and is handled from its front, so a handler that waits
    // for the user (and takes the next batch meanwhile) keeps the order.
    while (!m_inbox.empty()) {
        platform::CMessage message = std::move(m_inbox.front());
        m_inbox.pop_front();
        OnMessage(message);
    }
}

void CCreatePlaylistDlg::OnMessage(platform::CMessage& message) {
    if (message.GetNumber() == ProgressInfoMessage()) {
        OnInfo(static_cast<int>(message.GetWParam()), message.TakeText());
    } else if (message.GetNumber() == ProgressMarkMessage()) {
        OnMark(message.GetWParam());
    } else if (message.GetNumber() == ErrorNotifyMessage()) {
        OnError();
    }
}

void CCreatePlaylistDlg::OnInfo(int percent, std::string text) {
    m_pendingPercent = percent;
    m_pendingText = std::move(text);
    if (percent != m_shownPercent) {
        ShowProgress();
    } else if (m_refreshTimer == 0) {
        m_refreshTimer = startTimer(40);
    }
}

void CCreatePlaylistDlg::ShowProgress() {
    if (m_refreshTimer != 0) {
        killTimer(m_refreshTimer);
        m_refreshTimer = 0;
    }
    if (!m_pendingText) {
        return;
    }
    m_shownPercent = m_pendingPercent;
    m_progress->setValue(m_pendingPercent);
    m_progressText->setText(QString::fromStdString(*m_pendingText));
    m_pendingText.reset();
}

void CCreatePlaylistDlg::SetMark(int step, StepMark mark) {
    m_marks[step] = mark;
    const char* name = mark == StepMark::Current     ? "PROGRESS_CURRENT"
                       : mark == StepMark::Done      ? "PROGRESS_DONE"
                       : mark == StepMark::Cancelled ? "PROGRESS_CANCELLED"
                                                     : nullptr;
    m_stepIcons[step]->setPixmap(name != nullptr ? toolkit::LoadResourcePixmap("PNG", name)
                                                 : QPixmap());
}

void CCreatePlaylistDlg::OnMark(std::uintptr_t mark) {
    ShowProgress();
    switch (mark) {
        case CCreationJob::kMarkPreparation:
            SetMark(0, StepMark::Current);
            m_currentStep = 0;
            break;
        case CCreationJob::kMarkCreation:
            SetMark(0, StepMark::Done);
            SetMark(1, StepMark::Current);
            m_currentStep = 1;
            break;
        case CCreationJob::kMarkFinishing:
            SetMark(1, StepMark::Done);
            SetMark(2, StepMark::Current);
            m_currentStep = 2;
            break;
        case CCreationJob::kMarkCompleted:
            SetMark(2, StepMark::Done);
            if (GetPropertyInt(property::kPlaySound) != 0) {
                if (const auto wave = platform::FindResource("WAVE", "COMPLETED")) {
                    toolkit::UserInteraction().PlayWave(*wave);
                }
            }
            EndedWaitingForOk();
            break;
        case CCreationJob::kMarkCancelled:
            SetMark(m_currentStep < 0 ? 0 : m_currentStep, StepMark::Cancelled);
            EndedWaitingForOk();
            break;
        default:
            break;
    }
}

void CCreatePlaylistDlg::EndedWaitingForOk() {
    m_ended = true;
    m_cancel->setEnabled(false);
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    m_ok->setFocus();
}

void CCreatePlaylistDlg::OnError() {
    ShowProgress();
    toolkit::ShowMessage(this, m_job->GetErrorText(), toolkit::MessageIcon::Stop);
    done(-1);
}
