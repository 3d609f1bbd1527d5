#pragma once
#include "editor/LabelCapture.h"

#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace Tabrix {

// The capture dialog: while it is open, a label sent to TCP port 8999 is taken in
// byte for byte; each sender's orderly close turns everything taken into template
// text. OK hands the text to the editor. The capture itself is LabelCapture's.
class TfrmGetLabel : public QDialog {
    Q_OBJECT
public:
    static constexpr quint16 Port = LabelCapture::Port;
    // A capture (or its template text) larger than this is refused.
    static constexpr qsizetype MaxCapture = CaptureBuffer::DefaultBound;

    explicit TfrmGetLabel(QWidget *parent = nullptr);

    // The capture as template text once a sender has closed.
    const QByteArray &LabelText() const { return m_capture.text(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void ServerSocket1Listen();
    void ServerSocket1ClientConnect();
    void ServerSocket1ClientRead(qsizetype total);
    void ServerSocket1ClientDisconnect();
    void ServerSocket1ClientError(int code);
    void conversionRefused();
    void btnCancelClick();
    void showPicture(int index);
    void tooLarge(const QString &why);

    QLineEdit *eIPAddress, *ePort, *eStatus, *eBytesRecieved;
    QLabel *Image1;
    QPushButton *btnCancel, *btnOK;
    LabelCapture m_capture;
    bool m_showingTooLarge = false;
};

// The IPv4 addresses of this computer's host name, separated by single blanks.
QString LocalIPAddresses();

} // namespace Tabrix
