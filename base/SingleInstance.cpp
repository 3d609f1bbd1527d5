#include "base/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

SingleInstance::Acquired SingleInstance::acquire()
{
    const QString path = m_base + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(path);
    // A lock is stale only when the copy that wrote it is gone (killed, crashed):
    // tryLock then takes it over; a running copy's lock never ages out.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Acquired::Only;
    // Another copy holds a lock it wrote; a lock file that cannot even be written
    // or read is no copy, but a start that cannot run.
    qint64 pid = 0;
    QString host, app;
    QFile probe(path);
    const QFileInfo info(path);
    QString reason;
    if (info.isDir())
        reason = QStringLiteral("it is a folder");
    else if (info.exists() && !probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        reason = probe.errorString();
    else if (!info.exists() && !probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        reason = probe.errorString();
    if (!info.exists() && probe.isOpen())
        probe.remove();
    if (reason.isEmpty() && m_lock->error() == QLockFile::LockFailedError && m_lock->getLockInfo(&pid, &host, &app))
        return Acquired::AnotherCopy;
    if (reason.isEmpty())
        reason = m_lock->error() == QLockFile::PermissionError ? QStringLiteral("permission denied")
                                                               : QStringLiteral("it cannot be read");
    m_failure = QStringLiteral("Tabrix cannot start: its lock file %1 cannot be written (%2).").arg(path, reason);
    return Acquired::Failed;
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
