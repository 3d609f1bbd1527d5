#pragma once
#include "editor/CaptureBuffer.h"

#include <QByteArray>
#include <QDialog>
#include <QSet>

class QLabel;
class QLineEdit;
class QPushButton;
class QTcpServer;
class QTcpSocket;

namespace Tabrix {

// The capture dialog: while it is open, a label sent to TCP port 8999 is taken in
// byte for byte; each sender's orderly close turns everything taken into template
// text. OK hands the text to the editor.
class TfrmGetLabel : public QDialog {
    Q_OBJECT
public:
    static constexpr quint16 Port = 8999;
    // A capture (or its template text) larger than this is refused.
    static constexpr qsizetype MaxCapture = CaptureBuffer::DefaultBound;

    explicit TfrmGetLabel(QWidget *parent = nullptr);
    ~TfrmGetLabel() override;

    // The capture as template text once a sender has closed.
    const QByteArray &LabelText() const { return m_capture.text(); }

    QLineEdit *eIPAddress, *ePort, *eStatus, *eBytesRecieved;
    QLabel *Image1;
    QPushButton *btnCancel, *btnOK;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void ServerSocket1Listen();
    void ServerSocket1ClientConnect(QTcpSocket *socket);
    void ServerSocket1ClientRead(QTcpSocket *socket);
    void ServerSocket1ClientDisconnect(QTcpSocket *socket);
    void ServerSocket1ClientError(QTcpSocket *socket);
    void btnCancelClick();
    void stopServer();
    void showPicture(int index);

    void tooLarge(const QString &why);

    CaptureBuffer m_capture;
    bool m_showingTooLarge = false;
    QTcpServer *ServerSocket1;
    QSet<QTcpSocket *> m_refused; // connections closed for sending too much
};

// The IPv4 addresses of this computer's host name, separated by single blanks.
QString LocalIPAddresses();

} // namespace Tabrix
