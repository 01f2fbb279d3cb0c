#include "ui/app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int kAnswerTimeoutMs = 200;

}  // namespace

CSingleInstance::CSingleInstance() = default;

CSingleInstance::~CSingleInstance() {
    Release();
}

std::string CSingleInstance::MarkerName() {
    // The display takes the place of the desktop: two sessions of one user on different
    // displays each run their own instance.
    std::string display;
    if (const char* wayland = getenv("WAYLAND_DISPLAY"); wayland != nullptr && *wayland != 0) {
        display = wayland;
    } else if (const char* x11 = getenv("DISPLAY"); x11 != nullptr && *x11 != 0) {
        display = x11;
    } else {
        display = "Win9x";
    }
    for (char& c : display) {
        if (c == '/') {
            c = '_';
        }
    }
    return std::string(kMutexBaseName) + "-" + display;
}

std::string CSingleInstance::MarkerFolder() {
    if (const char* runtime = getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
        return runtime;
    }
    // Without a runtime folder the temporary folder serves, one sub-folder per user.
    const std::string folder = QDir::tempPath().toStdString() + "/tracklace-" +
                               std::to_string(static_cast<long>(getuid()));
    mkdir(folder.c_str(), 0700);
    return folder;
}

bool CSingleInstance::Acquire(std::function<void()> activate) {
    const std::string base = MarkerFolder() + "/" + MarkerName();
    const std::string lockPath = base + ".lock";
    const QString socketPath = QString::fromStdString(base);
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // No marker can be made: start as the first instance.
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(kAnswerTimeoutMs)) {
            socket.write(QByteArray(kMessageName) + "\n");
            socket.waitForBytesWritten(kAnswerTimeoutMs);
            socket.waitForReadyRead(kAnswerTimeoutMs);
            socket.disconnectFromServer();
        }
        return false;
    }
    m_lockFd = fd;
    m_activate = std::move(activate);
    // Whoever held the lock before has gone, so a socket left behind is stale.
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(socketPath)) {
        connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    }
    return true;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const QByteArray line = socket->readLine().trimmed();
            if (line == kMessageName) {
                // The answer tells the caller that it reached this program.
                socket->write(QByteArray(kMessageName) + "\n");
                socket->flush();
                if (m_activate) {
                    m_activate();
                }
            }
        });
    }
}

void CSingleInstance::Release() {
    if (m_server != nullptr) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lockFd >= 0) {
        // The lock file itself stays: removing it would race with a start taking it.
        flock(m_lockFd, LOCK_UN);
        close(m_lockFd);
        m_lockFd = -1;
    }
}
