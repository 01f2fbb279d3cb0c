#pragma once

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

// One running program per user and display. The marker is an exclusive lock on a file in
// the user's runtime folder; the kernel drops it when its process ends in any way, so a
// crashed instance never blocks the next start. Beside it a local socket of the same name
// carries the request of a later start to bring the window to the front.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kMutexBaseName = "TKL-{B9CA50FC-8C22-4ced-8C64-E98672FFBF25}";
    static constexpr const char* kMessageName =
        "UWM_SINGLE_INSTANCE-{90500F29-511B-47e5-BCB1-A762F2C1E64E}";

    CSingleInstance();
    ~CSingleInstance() override;

    // The marker's name: the base name, "-" and the display the program runs on.
    static std::string MarkerName();
    // The folder of the lock file and the socket.
    static std::string MarkerFolder();

    // Takes the marker. True: this is the first instance, and activate is called whenever a
    // later start asks for the window. False: another instance holds it; it has been asked
    // to show its window (answering within 200 ms or not), and this one should end.
    bool Acquire(std::function<void()> activate);
    // Gives the marker back; also done on destruction.
    void Release();
    bool IsHeld() const { return m_lockFd >= 0; }

private:
    void OnConnection();

    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_activate;
};
