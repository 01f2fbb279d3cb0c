#pragma once

#include <QDialog>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/creation_job/creation_job.h"
#include "platform/events/thread.h"
#include "platform/messages/messages.h"

class CPlaylist;
class QLabel;
class QProgressBar;
class QPushButton;

// Hands the job's messages to the dialog from any thread: they are queued in order and a
// posted Qt event tells the dialog to Take them. A progress text that follows another one
// still queued replaces it, since only the latest can be shown. Once the dialog detaches,
// later messages are dropped instead of reaching a destroyed window. A message dropped or
// replaced takes its text with it.
class CDialogMessageTarget : public platform::IMessageTarget {
public:
    explicit CDialogMessageTarget(QObject* receiver) : m_receiver(receiver) {}
    CDialogMessageTarget(const CDialogMessageTarget&) = delete;
    CDialogMessageTarget& operator=(const CDialogMessageTarget&) = delete;

    void Post(platform::CMessage message) override;
    // Moves up to most of the oldest queued messages to the end of into. False when none
    // was queued.
    bool Take(std::deque<platform::CMessage>& into, std::size_t most);
    void Detach();

private:
    std::mutex m_lock;
    QObject* m_receiver;
    std::vector<platform::CMessage> m_queue;
    bool m_wakePending = false;
};

// The modal dialog that creates a playlist on a worker thread and shows the three steps,
// the progress and the outcome. The caller constructs it with the playlist, runs exec()
// and destroys it; the playlist must outlive the dialog.
class CCreatePlaylistDlg : public QDialog, public Wendmark::CThread {
public:
    enum class StepMark { None, Current, Done, Cancelled };

    explicit CCreatePlaylistDlg(CPlaylist* playlist, QWidget* parent = nullptr);
    ~CCreatePlaylistDlg() override;

    // Lets tests and previews look at the dialog's state.
    StepMark GetStepMark(int step) const { return m_marks[step]; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* ProgressText() const { return m_progressText; }
    CCreationJob* Job() const { return m_job.get(); }
    // True once the worker was started or the creation was cancelled before it.
    bool HasStarted() const { return m_started; }

    // The Cancel command: asks, pauses and cancels; never closes the dialog.
    void OnCancel();

    // Escape and the close box: the Cancel command while the job can still be cancelled,
    // closing once it has ended.
    void reject() override;
    // Every way of closing waits for the worker first.
    void done(int result) override;

protected:
    int Run() override;
    bool event(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    void BuildLayout();
    void StartRoutine();
    void DrainMessages();
    void OnMessage(platform::CMessage& message);
    void OnInfo(int percent, std::string text);
    void ShowProgress();
    void OnMark(std::uintptr_t mark);
    void OnError();
    void SetMark(int step, StepMark mark);
    void EndedWaitingForOk();
    // Ends the worker before anything it uses goes away; a running job is cancelled.
    void EndWorker();

    CPlaylist* m_playlist;
    CDialogMessageTarget m_target;
    std::unique_ptr<CCreationJob> m_job;
    std::deque<platform::CMessage> m_inbox;

    static constexpr int kStepIconSize = 16;
    QLabel* m_stepIcons[3] = {};
    StepMark m_marks[3] = {StepMark::Current, StepMark::None, StepMark::None};
    int m_currentStep = -1;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressText = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_timer = 0;
    // A long list sends a progress text per entry, far more than anyone can read: a text
    // with the same percent as the one on screen waits for the refresh timer, and only the
    // latest of them is shown.
    int m_refreshTimer = 0;
    int m_drainTimer = 0;
    int m_shownPercent = -1;
    int m_pendingPercent = 0;
    std::optional<std::string> m_pendingText;
    bool m_cancelRequested = false;
    bool m_started = false;
    bool m_ended = false;
    bool m_inQuestion = false;
};
