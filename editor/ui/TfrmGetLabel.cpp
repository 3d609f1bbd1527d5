#include "editor/ui/TfrmGetLabel.h"
#include "app/ui/Pictures.h"
#include "app/base/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QVBoxLayout>

namespace Tabrix {

QString LocalIPAddresses()
{
    QStringList addresses;
    for (const QHostAddress &a : QHostInfo::fromName(QHostInfo::localHostName()).addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            addresses << a.toString();
    return addresses.join(u' ');
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
    bottom->addWidget(btnCancel);
    bottom->addWidget(btnOK);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnCancel, &QPushButton::clicked, this, &TfrmGetLabel::btnCancelClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    ServerSocket1 = new QTcpServer(this);
    connect(ServerSocket1, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = ServerSocket1->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ServerSocket1ClientRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { ServerSocket1ClientDisconnect(socket); });
            connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError e) {
                if (e != QAbstractSocket::RemoteHostClosedError) // an orderly close is no error
                    ServerSocket1ClientError(socket);
            });
            ServerSocket1ClientConnect(socket);
        }
    });
}

TfrmGetLabel::~TfrmGetLabel()
{
    stopServer();
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
    m_capture.clear();
    eStatus->setText(QStringLiteral("Opening"));
    eBytesRecieved->setText(QStringLiteral("0"));
    eIPAddress->setText(LocalIPAddresses());
    if (!ServerSocket1->listen(QHostAddress::AnyIPv4, Port)) {
        prompter().generalError(WithFullStop(QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                                                 .arg(ServerSocket1->errorString())
                                                 .arg(int(ServerSocket1->serverError()))
                                                 .arg(QStringLiteral("bind"))));
        return; // stays at "Opening": only Cancel leads out
    }
    showPicture(0);
    ServerSocket1Listen();
}

void TfrmGetLabel::ServerSocket1Listen()
{
    ePort->setText(QString::number(ServerSocket1->serverPort()));
    showPicture(0);
    eStatus->setText(QStringLiteral("Listening"));
}

void TfrmGetLabel::ServerSocket1ClientConnect(QTcpSocket *)
{
    eStatus->setText(QStringLiteral("Connected"));
    showPicture(1);
}

void TfrmGetLabel::ServerSocket1ClientRead(QTcpSocket *socket)
{
    if (m_refused.contains(socket))
        return;
    eStatus->setText(QStringLiteral("Reading"));
    if (!m_capture.append(socket->readAll())) {
        m_refused.insert(socket);
        socket->abort();
        tooLarge(QStringLiteral("more than %1 bytes were sent. The connection was closed and its last bytes were not taken.")
                     .arg(MaxCapture));
        return;
    }
    eBytesRecieved->setText(QString::number(m_capture.text().size()));
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

void TfrmGetLabel::ServerSocket1ClientDisconnect(QTcpSocket *socket)
{
    socket->deleteLater();
    if (m_refused.remove(socket))
        return;
    if (socket->bytesAvailable() > 0)
        ServerSocket1ClientRead(socket);
    if (!m_capture.convert()) {
        tooLarge(QStringLiteral("its template text would be longer than %1 characters. The capture as it was before is kept.")
                     .arg(MaxCapture));
        eStatus->setText(btnOK->isEnabled() ? QStringLiteral("Done") : QStringLiteral("Listening"));
        showPicture(0);
        return;
    }
    btnOK->setEnabled(true);
    eStatus->setText(QStringLiteral("Done"));
    showPicture(0);
}

void TfrmGetLabel::ServerSocket1ClientError(QTcpSocket *socket)
{
    const QString text = QStringLiteral("Error code %1").arg(int(socket->error()));
    prompter().message(text);
    eStatus->setText(text);
    prompter().generalError(WithFullStop(QStringLiteral("Asynchronous socket error %1").arg(int(socket->error()))));
}

void TfrmGetLabel::btnCancelClick()
{
    stopServer();
    reject();
}

// The listening socket and every open connection close at once; no handler runs for them.
void TfrmGetLabel::stopServer()
{
    ServerSocket1->close();
    for (QTcpSocket *socket : findChildren<QTcpSocket *>()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

} // namespace Tabrix
