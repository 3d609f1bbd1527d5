#include "editor/ui/TfrmGetLabel.h"
#include "base/ui/Pictures.h"
#include "base/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QNetworkInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tabrix {

QString LocalIPAddresses()
{
    // The addresses a sender on the network can reach; the loopback one only when
    // there is no other (a usual /etc/hosts gives the host name 127.0.1.1).
    QStringList addresses, loopback;
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            (a.isLoopback() ? loopback : addresses) << a.toString();
    return (addresses.isEmpty() ? loopback : addresses).join(u' ');
}

TfrmGetLabel::TfrmGetLabel(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmGetLabel"));
    setWindowTitle(QStringLiteral("Get Template"));
    auto *layout = new QVBoxLayout(this);
    auto *rows = new QFormLayout;
    const auto box = [&](const char *name, const char *caption) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        QPalette grey = edit->palette();
        grey.setColor(QPalette::Base, QColor(192, 192, 192));
        edit->setPalette(grey);
        rows->addRow(QString::fromLatin1(caption), edit);
        return edit;
    };
    eIPAddress = box("eIPAddress", "IP Address:");
    ePort = box("ePort", "Port:");
    eStatus = box("eStatus", "Status:");
    eBytesRecieved = box("eBytesRecieved", "Bytes recieved:");
    layout->addLayout(rows);

    auto *bottom = new QHBoxLayout;
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(32, 32);
    bottom->addWidget(Image1);
    bottom->addStretch(1);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel->setAutoDefault(false); // Enter never throws a capture away
    bottom->addWidget(btnCancel);
    bottom->addWidget(btnOK);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnCancel, &QPushButton::clicked, this, &TfrmGetLabel::btnCancelClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_capture, &LabelCapture::connected, this, &TfrmGetLabel::ServerSocket1ClientConnect);
    connect(&m_capture, &LabelCapture::bytesRead, this, &TfrmGetLabel::ServerSocket1ClientRead);
    connect(&m_capture, &LabelCapture::done, this, &TfrmGetLabel::ServerSocket1ClientDisconnect);
    connect(&m_capture, &LabelCapture::socketError, this, &TfrmGetLabel::ServerSocket1ClientError);
    connect(&m_capture, &LabelCapture::tooMuchSent, this, [this] {
        tooLarge(QStringLiteral("more than %1 bytes were sent. The connection was closed and its last bytes were not taken.")
                     .arg(m_capture.bound()));
    });
    connect(&m_capture, &LabelCapture::conversionRefused, this, &TfrmGetLabel::conversionRefused);
}

void TfrmGetLabel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmGetLabel::showPicture(int index)
{
    Image1->setPixmap(Pictures::face(index == 1));
}

void TfrmGetLabel::FormShow()
{
    btnCancel->setEnabled(true);
    btnOK->setEnabled(false);
    eStatus->setText(QStringLiteral("Opening"));
    eBytesRecieved->setText(QStringLiteral("0"));
    eIPAddress->setText(LocalIPAddresses());
    if (!m_capture.start()) {
        prompter().generalError(WithFullStop(m_capture.listenError()));
        return; // stays at "Opening": only Cancel leads out
    }
    showPicture(0);
    ServerSocket1Listen();
}

void TfrmGetLabel::ServerSocket1Listen()
{
    ePort->setText(QString::number(m_capture.port()));
    showPicture(0);
    eStatus->setText(QStringLiteral("Listening"));
}

void TfrmGetLabel::ServerSocket1ClientConnect()
{
    eStatus->setText(QStringLiteral("Connected"));
    showPicture(1);
}

void TfrmGetLabel::ServerSocket1ClientRead(qsizetype total)
{
    eStatus->setText(QStringLiteral("Reading"));
    eBytesRecieved->setText(QString::number(total));
}

// One box at a time: a sender that keeps going must not pile up boxes.
void TfrmGetLabel::tooLarge(const QString &why)
{
    if (m_showingTooLarge)
        return;
    m_showingTooLarge = true;
    ShowError(QStringLiteral("The label is too large: ") + why);
    m_showingTooLarge = false;
}

void TfrmGetLabel::ServerSocket1ClientDisconnect()
{
    btnOK->setEnabled(true);
    btnOK->setFocus(); // Enter now takes the capture
    eStatus->setText(QStringLiteral("Done"));
    showPicture(0);
}

void TfrmGetLabel::conversionRefused()
{
    tooLarge(QStringLiteral("its template text would be longer than %1 characters. The capture as it was before is kept.")
                 .arg(m_capture.bound()));
    eStatus->setText(btnOK->isEnabled() ? QStringLiteral("Done") : QStringLiteral("Listening"));
    showPicture(0);
}

void TfrmGetLabel::ServerSocket1ClientError(int code)
{
    const QString text = QStringLiteral("Error code %1").arg(code);
    prompter().message(text);
    eStatus->setText(text);
    prompter().generalError(WithFullStop(QStringLiteral("Asynchronous socket error %1").arg(code)));
}

void TfrmGetLabel::btnCancelClick()
{
    m_capture.stop();
    reject();
}

} // namespace Tabrix
