#pragma once
#include "editor/CaptureBuffer.h"

#include <QObject>
#include <QSet>

class QTcpServer;
class QTcpSocket;

namespace Tabrix {

// Takes a label that another system sends over TCP: every IPv4 address, one port,
// any number of senders, all feeding one capture. A sender's orderly close turns
// the whole capture into template text. Driven by the event loop; no threads.
class LabelCapture : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 Port = 8999;
    explicit LabelCapture(qsizetype bound = CaptureBuffer::DefaultBound, QObject *parent = nullptr);
    ~LabelCapture() override;

    // Empties the capture and listens; false when the port cannot be had (listenError() says why).
    bool start(quint16 port = Port);
    // Closes the listening socket and every connection at once; nothing more is signalled for them.
    void stop();
    QString listenError() const { return m_listenError; }
    quint16 port() const;
    qsizetype bound() const { return m_capture.bound(); }
    // The capture: bytes while they arrive, template text after a close.
    const QByteArray &text() const { return m_capture.text(); }

signals:
    void connected();
    // Bytes arrived; the capture now holds `total` bytes.
    void bytesRead(qsizetype total);
    // A sender closed and the capture is template text now.
    void done();
    // A sender wrote more than the bound: its connection is closed, its last bytes not taken.
    void tooMuchSent();
    // A close whose conversion would pass the bound: the capture is as the last one left it.
    void conversionRefused();
    // An error on a connection other than an orderly close, with the socket layer's number.
    void socketError(int code);

private:
    void read(QTcpSocket *socket);
    void closed(QTcpSocket *socket);

    CaptureBuffer m_capture;
    QTcpServer *m_server;
    QSet<QTcpSocket *> m_refused; // connections closed for sending too much
    QString m_listenError;
};

} // namespace Tabrix
