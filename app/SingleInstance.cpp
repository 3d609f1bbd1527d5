#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace Tabrix {

SingleInstance::SingleInstance(const QString &name)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_base = QDir(dir).absoluteFilePath(name);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(m_base + QStringLiteral(".lock"));
    // A lock is stale only when the copy that wrote it is gone (killed, crashed):
    // tryLock then takes it over; a running copy's lock never ages out.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

void SingleInstance::requestShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_base + QStringLiteral(".sock"));
    if (!socket.waitForConnected(1000))
        return;
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
}

void SingleInstance::listen(std::function<void()> onShowRequest)
{
    const QString path = m_base + QStringLiteral(".sock");
    QLocalServer::removeServer(path); // left by a copy that died; we hold the lock
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this, onShowRequest] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, peer, [peer, onShowRequest] {
                if (peer->readAll().contains("show"))
                    onShowRequest();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    m_server->listen(path);
}

} // namespace Tabrix
