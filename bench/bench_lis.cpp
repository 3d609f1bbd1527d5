// The LIS: messages per second sent over MLLP on loopback to a receiver that
// acknowledges each at once (each message with its row written before and after),
// the time to read every registration's state, and the FHIR export of 100,000
// registrations with the memory it takes, and the main window's count of those the LIS
// has not accepted.
#include "bench/BenchRegister.h"
#include "lis/FhirBundle.h"
#include "lis/LisSend.h"
#include "lis/LisSettings.h"
#include "lis/LisStates.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

using namespace Tabrix;

namespace {

// An interface engine that answers AA to every framed message the moment it is whole.
class Acknowledger : public QTcpServer {
public:
    Acknowledger() { listen(QHostAddress::LocalHost, 0); }

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(handle);
        auto *buffer = new QByteArray;
        connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer] {
            *buffer += socket->readAll();
            qsizetype end;
            while ((end = buffer->indexOf("\x1c\x0d")) >= 0) {
                const QByteArray message = buffer->mid(1, end - 1);
                buffer->remove(0, end + 2);
                const QByteArray controlId = message.left(message.indexOf('\r')).split('|').value(9);
                socket->write("\x0bMSH|^~\\&|LAB|MAIN|TABRIX|ER|20261208||ACK|A|P|2.5.1\rMSA|AA|" + controlId + "\r\x1c\x0d");
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
            delete buffer;
            socket->deleteLater();
        });
    }
};

QSqlDatabase open(const QString &file, const QString &name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(file);
    db.open();
    return db;
}

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    // Sending: 2,000 registrations, one connection, each message waiting for its answer.
    QThread engineThread;
    Acknowledger engine;
    const quint16 port = engine.serverPort();
    engine.moveToThread(&engineThread);
    engineThread.start();
    const QString sendFile = dir.filePath(QStringLiteral("send.db"));
    Bench::fill(sendFile, 2000, true);
    {
        QSqlDatabase db = open(sendFile, QStringLiteral("send"));
        LisSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = port;
        settings.specimenType = QStringLiteral("BLD");
        QElapsedTimer t;
        t.start();
        const LisOverview overview = ReadLisOverview(db, settings);
        const double readMs = t.nsecsElapsed() / 1e6;
        t.restart();
        const LisSendReport report = SendToLis(db, settings, overview, {});
        const double seconds = t.nsecsElapsed() / 1e9;
        std::printf("states of %d registrations read in %.1f ms\n", int(overview.items.size()), readMs);
        std::printf("sent and accepted: %d messages in %.2f s = %.0f messages/s (goal: 1000)\n", report.accepted, seconds,
                    report.accepted / seconds);
    }
    engineThread.quit();
    engineThread.wait();

    // The FHIR export at two sizes: the time per registration, and the memory beyond the register's reading.
    std::printf("\nregistrations   export (s)   registrations/s   peak memory (MiB)\n");
    for (int n : {10000, 100000}) {
        const QString file = dir.filePath(QStringLiteral("fhir%1.db").arg(n));
        Bench::fill(file, n, true);
        QSqlDatabase db = open(file, QStringLiteral("fhir%1").arg(n));
        FhirExportReport report;
        QElapsedTimer t;
        t.start();
        ExportFhirBundle(db, LisSettings{}, dir.filePath(QStringLiteral("bundle.json")), report);
        const double seconds = t.nsecsElapsed() / 1e9;
        std::printf("%-15d %10.2f   %15.0f   %17.1f\n", int(report.registrations), seconds, report.registrations / seconds,
                    peakKiB() / 1024.0);
    }
    std::printf("goal: 50000 registrations/s, memory flat (the same peak at both sizes)\n\n");

    // The main window's count of the registrations the LIS has not accepted.
    for (int n : {10000, 100000}) {
        QElapsedTimer t;
        t.start();
        const int waiting = ReadLisOverview(QSqlDatabase::database(QStringLiteral("fhir%1").arg(n)), LisSettings{},
                                            LisReading::StatesOnly)
                                .notAccepted();
        std::printf("the LIS count of %d registrations (%d not accepted) read in %.0f ms\n", n, waiting,
                    t.nsecsElapsed() / 1e6);
    }
    return 0;
}
