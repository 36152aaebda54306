#include "app/single_instance.h"

#include <QApplication>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace {
constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivateRequest = "activate\n";
} // namespace

SingleInstance::SingleInstance(const QString& instanceName, QObject* parent)
    : QObject(parent), m_instanceName(instanceName) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnActivationRequest);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::RuntimePath(const QString& suffix) const {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return QDir(directory).filePath(m_instanceName + suffix);
}

SingleInstance::Outcome SingleInstance::Claim(const QString& windowTitle) {
    m_windowTitle = windowTitle;
    m_lock = std::make_unique<QLockFile>(RuntimePath(QStringLiteral(".lock")));
    // The lock is held for the whole run; a lock left by a crashed run is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        const QString socketPath = RuntimePath(QString());
        QLocalServer::removeServer(socketPath);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        // Without the socket a later start cannot activate us, but this run still works.
        m_server.listen(socketPath);
        return Outcome::FirstInstance;
    }
    if (m_lock->error() != QLockFile::LockFailedError)
        return Outcome::Failed;

    QLocalSocket socket;
    socket.connectToServer(RuntimePath(QString()));
    if (socket.waitForConnected(kConnectTimeoutMs)) {
        socket.write(kActivateRequest);
        socket.waitForBytesWritten(kConnectTimeoutMs);
        socket.disconnectFromServer();
    }
    return Outcome::AnotherRuns;
}

void SingleInstance::OnActivationRequest() {
    while (QLocalSocket* client = m_server.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (client->readAll().contains('\n'))
                ActivateWindowByTitle(m_windowTitle);
        });
    }
}

bool ActivateWindowByTitle(const QString& title) {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->windowTitle() != title)
            continue;
        if (!window->isVisible())
            window->showNormal();
        window->raise();
        window->activateWindow();
        return true;
    }
    return false;
}
