#include "editor/LabelCapture.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace Tabrix {

LabelCapture::LabelCapture(qsizetype bound, QObject *parent)
    : QObject(parent), m_capture(bound), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { closed(socket); });
            connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError e) {
                if (e != QAbstractSocket::RemoteHostClosedError) // an orderly close is no error
                    emit socketError(int(socket->error()));
            });
            emit connected();
        }
    });
}

LabelCapture::~LabelCapture()
{
    stop();
}

bool LabelCapture::start(quint16 port)
{
    m_capture.clear();
    if (m_server->listen(QHostAddress::AnyIPv4, port))
        return true;
    m_listenError = QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                        .arg(m_server->errorString())
                        .arg(int(m_server->serverError()))
                        .arg(QStringLiteral("bind"));
    return false;
}

quint16 LabelCapture::port() const
{
    return m_server->serverPort();
}

void LabelCapture::stop()
{
    m_server->close();
    for (QTcpSocket *socket : m_server->findChildren<QTcpSocket *>()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void LabelCapture::read(QTcpSocket *socket)
{
    if (m_refused.contains(socket))
        return;
    if (!m_capture.append(socket->readAll())) {
        m_refused.insert(socket);
        socket->abort();
        emit tooMuchSent();
        return;
    }
    emit bytesRead(m_capture.text().size());
}

void LabelCapture::closed(QTcpSocket *socket)
{
    socket->deleteLater();
    if (m_refused.remove(socket))
        return;
    if (socket->bytesAvailable() > 0)
        read(socket);
    if (m_capture.convert())
        emit done();
    else
        emit conversionRefused();
}

} // namespace Tabrix
