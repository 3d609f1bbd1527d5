#include "lis/MllpConnection.h"

#include <QElapsedTimer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

namespace Tabrix {

namespace {
constexpr char StartBlock = 0x0b;
constexpr char EndBlock = 0x1c;
constexpr char CarriageReturn = 0x0d;
constexpr int Slice = 50; // milliseconds between the idle runs of a wait
} // namespace

MllpConnection::MllpConnection(const LisSettings &settings, std::function<void()> idle)
    : m_settings(settings), m_idle(std::move(idle))
{
}

MllpConnection::~MllpConnection()
{
    if (m_socket)
        m_socket->abort();
}

bool MllpConnection::waitFor(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        const qint64 left = milliseconds - timer.elapsed();
        if (left <= 0 || m_socket->state() == QAbstractSocket::UnconnectedState)
            return done();
        m_socket->waitForReadyRead(int(qMin<qint64>(left, Slice)));
        if (m_idle)
            m_idle();
    }
    return true;
}

void MllpConnection::open()
{
    m_pending.clear(); // what an earlier connection left is never read as this one's answer
    const QString where = QStringLiteral("%1:%2").arg(m_settings.host).arg(m_settings.port);
    if (!m_settings.tls) {
        m_socket = std::make_unique<QTcpSocket>();
        m_socket->connectToHost(m_settings.host, quint16(m_settings.port));
        if (!m_socket->waitForConnected(m_settings.timeout))
            throw ELisConnection(QStringLiteral("The LIS at %1 cannot be reached: %2").arg(where, m_socket->errorString()));
        return;
    }
    if (!QSslSocket::supportsSsl())
        throw ELisConnection(QStringLiteral("This station cannot encrypt: no TLS library is installed."));
    auto socket = std::make_unique<QSslSocket>();
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    if (!m_settings.caFile.isEmpty()) {
        const QList<QSslCertificate> authorities = QSslCertificate::fromPath(m_settings.caFile);
        if (authorities.isEmpty())
            throw ELisConnection(QStringLiteral("The CA file %1 holds no certificate that can be read.").arg(m_settings.caFile));
        config.setCaCertificates(authorities);
    }
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket->setSslConfiguration(config);
    socket->connectToHostEncrypted(m_settings.host, quint16(m_settings.port));
    if (!socket->waitForEncrypted(m_settings.timeout)) {
        QStringList errors;
        for (const QSslError &e : socket->sslHandshakeErrors())
            errors << e.errorString();
        if (!errors.isEmpty())
            throw ELisConnection(QStringLiteral("The LIS at %1 was refused: its certificate does not verify (%2). "
                                                "Nothing was sent.")
                                     .arg(where, errors.join(QStringLiteral("; "))));
        throw ELisConnection(QStringLiteral("The LIS at %1 cannot be reached over TLS: %2").arg(where, socket->errorString()));
    }
    m_socket = std::move(socket);
}

bool MllpConnection::usable() const { return m_socket && m_socket->state() == QAbstractSocket::ConnectedState; }

MllpConnection::Answer MllpConnection::exchange(const QByteArray &message)
{
    QByteArray frame;
    frame.reserve(message.size() + 3);
    frame.append(StartBlock).append(message).append(EndBlock).append(CarriageReturn);
    if (m_socket->write(frame) != frame.size())
        return {false, {}, QStringLiteral("The message could not be sent: %1").arg(m_socket->errorString())};
    const bool written = waitFor([&] { return m_socket->bytesToWrite() == 0; }, m_settings.timeout);
    if (!written)
        return {false, {}, QStringLiteral("The message could not be sent: %1").arg(m_socket->errorString())};

    const QByteArray end{"\x1c\x0d", 2};
    const bool framed = waitFor(
        [&] {
            m_pending += m_socket->readAll();
            return m_pending.contains(end);
        },
        m_settings.timeout);
    if (!framed) {
        const QString why = m_socket->state() == QAbstractSocket::UnconnectedState || !m_socket->isValid()
                                ? QStringLiteral("The LIS closed the connection without an answer.")
                                : QStringLiteral("No answer within %1 seconds.").arg(m_settings.timeout / 1000.0);
        m_socket->abort(); // a late answer must never be read as the next message's
        return {false, {}, why};
    }
    const qsizetype endAt = m_pending.indexOf(end);
    QByteArray payload = m_pending.left(endAt);
    m_pending.remove(0, endAt + end.size());
    if (!payload.startsWith(StartBlock)) {
        m_socket->abort();
        return {false, {}, QStringLiteral("The answer is not an MLLP frame.")};
    }
    payload.remove(0, 1);
    return {true, payload, {}};
}

} // namespace Tabrix
