#include "lis/LisMessages.h"
#include "register/RegisterStatement.h"

#include <QSqlError>

namespace Tabrix {

LisMessages::LisMessages(const QSqlDatabase &db) : m_db(db), m_present(HasTable(db, QStringLiteral("lis_messages"))) {}

QString LisMessages::missingText()
{
    return QStringLiteral("This register keeps no record of what was sent to the LIS yet: run \"tabrix-register "
                          "upgrade\" on its folder to add one, then send.");
}

void LisMessages::forEach(const std::function<void(const LisMessageRow &)> &take) const
{
    if (!m_present)
        return;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT Message_id, Order_id, AccnNum, AccnStr, OrderControl, ControlId, Digest, Sent, "
                               "Station, Outcome, Reply FROM lis_messages ORDER BY Order_id, Message_id")))
        throw EDatabaseError(m_db, q.lastError());
    LisMessageRow row;
    while (q.next()) {
        row.id = q.value(0).toLongLong();
        row.orderId = q.value(1).toLongLong();
        row.accnNum = q.value(2).toLongLong();
        row.accnStr = q.value(3).toString();
        row.orderControl = q.value(4).toString();
        row.controlId = q.value(5).toString();
        row.digest = q.value(6).toString();
        row.sent = q.value(7).toDateTime();
        row.station = q.value(8).toString();
        row.outcome = q.value(9).toString();
        row.reply = q.value(10).toString();
        take(row);
    }
}

QString LisMessages::messageOf(qint64 row) const
{
    QSqlQuery q = ExecRegister(m_db, QStringLiteral("SELECT Message FROM lis_messages WHERE Message_id = ?"), {row});
    return q.next() ? q.value(0).toString() : QString();
}

qint64 LisMessages::open(const LisMessageRow &r, const QString &message, qint64 lastBefore)
{
    // Stations sending from one register take turns for each registration: SQLite's
    // transaction holds the register's write lock, PostgreSQL's a lock on its number.
    RegisterTransaction transaction(m_db);
    if (m_db.driverName() == QLatin1String("QPSQL"))
        ExecRegister(m_db, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {r.orderId});
    QSqlQuery last = ExecRegister(m_db, QStringLiteral("SELECT max(Message_id) FROM lis_messages WHERE Order_id = ?"),
                                  {r.orderId});
    if (last.next() && last.value(0).toLongLong() != lastBefore)
        return 0;
    const qint64 row = InsertReturningKey(m_db,
                                          QStringLiteral("INSERT INTO lis_messages (Order_id, AccnNum, AccnStr, OrderControl, "
                                                         "ControlId, Digest, Sent, Station, Outcome, Reply, Message) "
                                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, '', ?)"),
                                          {r.orderId, r.accnNum, NonNullText(r.accnStr), r.orderControl, r.controlId,
                                           r.digest, r.sent, NonNullText(r.station), Sending, message},
                                          QStringLiteral("Message_id"))
                           .toLongLong();
    transaction.commit();
    return row;
}

void LisMessages::close(qint64 row, const QString &outcome, const QString &reply)
{
    ExecRegister(m_db, QStringLiteral("UPDATE lis_messages SET Outcome = ?, Reply = ? WHERE Message_id = ?"),
                 {outcome, NonNullText(reply), row});
}

} // namespace Tabrix
