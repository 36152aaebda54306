#include "app/single_instance.h"

#include "app/main_window.h"
#include "printers/file_handover.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kConnectTimeoutMs = 2000;
const QByteArray kTaken = "1";
const QByteArray kNotTaken = "0";
} // namespace

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), m_instanceName(instanceName) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::RuntimePath(const QString& suffix) const {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return QDir(directory).filePath(m_instanceName + suffix);
}

SingleInstance::Outcome SingleInstance::Claim(const QString& windowTitle, const QString& file) {
    m_windowTitle = windowTitle;
    m_lock = std::make_unique<QLockFile>(RuntimePath(QStringLiteral(".lock")));
    // The lock is held for the whole run; a lock left by a crashed run is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        const QString socketPath = RuntimePath(QString());
        QLocalServer::removeServer(socketPath);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        // Without the socket a later start cannot reach us, but this run still works.
        m_server.listen(socketPath);
        return Outcome::FirstInstance;
    }
    if (m_lock->error() != QLockFile::LockFailedError)
        return Outcome::Failed;
    if (AskRunningInstance(file) || file.isEmpty())
        return Outcome::AnotherRuns;
    return Outcome::FileNotTaken;
}

bool SingleInstance::AskRunningInstance(const QString& file) {
    QLocalSocket socket;
    socket.connectToServer(RuntimePath(QString()));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    // The running instance has a working directory of its own.
    const QString path = file.isEmpty() ? file : QDir::current().absoluteFilePath(file);
    const std::string frame = HandoverFrame(WideOf(path));
    socket.write(frame.data(), static_cast<qint64>(frame.size()));
    // The answer comes once the running instance has looked for its window, which it does only
    // after its first search. An event loop rather than a blocking wait: a running instance in
    // this same process (as in tests) is served by it too.
    QEventLoop loop;
    QTimer::singleShot(kHandoverWaitMs, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::readyRead, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    loop.exec();
    return socket.read(1) == kTaken;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* client = m_server.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        auto received = std::make_shared<std::string>();
        connect(client, &QLocalSocket::readyRead, this,
                [this, client, received] { OnRequestBytes(client, received.get()); });
    }
}

void SingleInstance::OnRequestBytes(QLocalSocket* client, std::string* received) {
    const QByteArray bytes = client->readAll();
    received->append(bytes.constData(), static_cast<size_t>(bytes.size()));
    std::u16string path;
    switch (ReadHandoverFrame(*received, &path)) {
    case FrameState::Incomplete:
        return;
    case FrameState::Malformed:
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
        client->abort();
        return;
    case FrameState::Complete:
        break;
    }
    disconnect(client, &QLocalSocket::readyRead, this, nullptr);
    QWidget* window = ActivateWindowByTitle(m_windowTitle);
    bool taken = window != nullptr;
    if (taken && !path.empty()) {
        auto* mainWindow = qobject_cast<CTolvaneDlg*>(window);
        taken = mainWindow != nullptr && mainWindow->HandOverFile(QtText(path));
    }
    client->write(taken ? kTaken : kNotTaken);
    client->disconnectFromServer();
}

QWidget* ActivateWindowByTitle(const QString& title) {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->windowTitle() != title)
            continue;
        if (window->isMinimized())
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        if (!window->isVisible())
            window->showNormal();
        window->raise();
        window->activateWindow();
        return window;
    }
    return nullptr;
}
