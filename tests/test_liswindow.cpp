#include "lis/LisMessages.h"
#include "lis/LisSend.h"
#include "lis/ui/TfrmSendToLis.h"
#include "register/RecordStore.h"
#include "register/RegisterStatement.h"
#include "register/SQUtils.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

// An interface engine on loopback, in this thread (the window runs events while it
// waits), that answers AA to each message.
class Engine : public QTcpServer {
public:
    Engine()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                m_received += socket->readAll();
                const qsizetype end = m_received.indexOf("\x1c\x0d");
                if (end < 0)
                    return;
                const QByteArray controlId = m_received.left(m_received.indexOf('\r')).split('|').value(9);
                m_received.remove(0, end + 2);
                socket->write("\x0bMSH|^~\\&|LAB|MAIN|TABRIX|ER|20261208||ACK|A|P|2.5.1\rMSA|AA|" + controlId + "\r\x1c\x0d");
            });
        });
    }

private:
    static inline QByteArray m_received;
};

struct LisStation {
    Support::ProgramFolder folder;
    RecordStore store{folder.station};

    explicit LisStation(quint16 port)
    {
        folder.createRegister();
        folder.writeFile(QStringLiteral("tabrix.ini"), QStringLiteral("[LIS]\nHost=127.0.0.1\nPort=%1\n").arg(port).toLatin1());
        store.Connect(folder.path(QStringLiteral("tabrix.udl")));
        add(100012345, "PINDLE", {QStringLiteral("CBC")});
        add(100012346, "DOE", {}); // no tests: it cannot be sent
    }

    // A registration with every value a message needs.
    void add(qint32 accn, const char *last, const QStringList &tests)
    {
        Support::AddPatient(store,
                            {{"AccnNum", accn}, {"AccnStr", AccnNumToStr(accn)},
                             {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))}, {"Last_Name", last},
                             {"First_Name", "OSKA"}, {"Patient_id", "MRN1"}, {"DOB", "01/19/1970"}, {"Location", "W1"},
                             {"Collection_date", "12/08/2026"}, {"Collection_Time", "0915"}, {"Recieve_date", "12/08/2026"},
                             {"Recieve_Time", "0930"}},
                            tests);
    }
};

QStringList column(const QTableWidget *list, int c)
{
    QStringList cells;
    for (int r = 0; r < list->rowCount(); ++r)
        cells << list->item(r, c)->text();
    return cells;
}

} // namespace

TEST(SendToLisWindow, ShowsTheStatesSendsAndSaysWhatWasAccepted)
{
    Engine engine;
    LisStation station(engine.serverPort());
    TfrmSendToLis window(station.folder.station, station.store.database());
    window.show();
    const auto *counts = Support::Control<QLabel>(window, "LisCounts");
    const auto *list = Support::Control<QTableWidget>(window, "LisList");
    auto *send = Support::Control<QPushButton>(window, "SendButton");
    EXPECT_TRUE(counts->text().startsWith(QStringLiteral("Not sent: 2    Accepted: 0")));
    EXPECT_EQ(column(list, 0), (QStringList{"X12345", "X12346"}));
    EXPECT_EQ(column(list, 3), (QStringList{"new order (NW)", "none: not sent"}));
    EXPECT_EQ(column(list, 4), (QStringList{"", "It has no tests"}));
    ASSERT_TRUE(send->isEnabled());

    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_EQ(Support::Control<QPlainTextEdit>(window, "LisResult")->toPlainText(),
              QStringLiteral("X12345 (NW): accepted\n1 accepted, 0 refused, 0 not confirmed."));
    EXPECT_TRUE(counts->text().startsWith(QStringLiteral("Not sent: 1    Accepted: 1")));
    EXPECT_EQ(column(list, 0), QStringList{"X12346"});
    EXPECT_FALSE(send->isEnabled()); // nothing left that can be sent
}

TEST(SendToLisWindow, ARegisterWithoutItsRecordOfMessagesSaysHowToUpgrade)
{
    LisStation station(1);
    ExecRegister(station.store.database(), QStringLiteral("DROP TABLE lis_messages"));
    TfrmSendToLis window(station.folder.station, station.store.database());
    EXPECT_EQ(Support::Control<QLabel>(window, "LisTarget")->text(), LisMessages::missingText());
    EXPECT_FALSE(Support::Control<QPushButton>(window, "SendButton")->isEnabled());
}

// Cancel stops before the next message: what was sent is accepted, the rest not sent.
TEST(SendToLisWindow, ACancelledSendLeavesEveryStateTrue)
{
    Engine engine;
    LisStation station(engine.serverPort());
    station.add(100012347, "ROE", {QStringLiteral("TSH")});
    const QSqlDatabase db = station.store.database();
    const LisSettings settings = LisSettings::Read(station.folder.station.files().SettingsFile);
    const LisSendReport report = SendToLis(db, settings, ReadLisOverview(db, settings),
                                           [](int done, int) { return done < 1; }, [] { QCoreApplication::processEvents(); });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.lines, QStringList{"X12345 (NW): accepted"});
    const LisOverview after = ReadLisOverview(db, settings);
    EXPECT_EQ(after.count(LisState::Accepted), 1);
    EXPECT_EQ(after.count(LisState::NotSent), 2); // X12346 (no tests) and X12347
    EXPECT_EQ(Support::QueryRows(db, "SELECT count(*) FROM lis_messages"), (QList<QVariantList>{{1}}));
}
