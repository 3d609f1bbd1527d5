#include "register/AuditTrail.h"
#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "register/RegisterStatement.h"

#include <QCryptographicHash>
#include <QSet>
#include <QSqlError>
#include <pwd.h>
#include <unistd.h>

namespace Tabrix {

namespace {

// A row's content as one text: each value with its length before it, so that no
// value can pass for two.
QString digestOf(const QStringList &content)
{
    QByteArray bytes;
    for (const QString &value : content) {
        const QByteArray utf8 = value.toUtf8();
        bytes += QByteArray::number(utf8.size()) + ':' + utf8;
    }
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString osUser()
{
    if (const passwd *pw = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(geteuid());
}

QString idText(const QVariant &id) { return id.isNull() ? QString() : QString::number(id.toLongLong()); }

const char *const Columns = "Audit_id, Station, Seq, Logged, OsUser, Version, Action, Order_id, AccnStr, Details, "
                            "Previous, Digest";

} // namespace

void WriteAuditRow(const QSqlDatabase &db, const QString &station, const AuditEntry &e)
{
    // The chain's last place, held (PostgreSQL: locked) until the transaction ends;
    // a new chain's first, so that two writers of one station's first row take turns.
    const bool pg = db.driverName() == QLatin1String("QPSQL");
    ExecRegister(db, QStringLiteral("INSERT INTO audit_head (Station, Seq, Digest) VALUES (?, 0, '') "
                                    "ON CONFLICT (Station) DO NOTHING"),
                 {NonNullText(station)});
    QSqlQuery head = ExecRegister(db, QStringLiteral("SELECT Seq, Digest FROM audit_head WHERE Station = ?%1")
                                          .arg(pg ? QStringLiteral(" FOR UPDATE") : QString()),
                                  {NonNullText(station)});
    if (!head.next())
        throw EDatabaseError(QStringLiteral("The audit trail's chain of station %1 cannot be read").arg(station));
    const qint64 seq = head.value(0).toLongLong() + 1;
    const QString previous = head.value(1).toString();
    const QString logged = Clock::now().toString(Qt::ISODateWithMs);
    const QString user = osUser(), version = TabrixDefs::AppVersion();
    const QString digest = digestOf({station, QString::number(seq), logged, user, version, e.action, idText(e.orderId),
                                     e.accnStr, e.details, previous});
    ExecRegister(db,
                 QStringLiteral("INSERT INTO audit_log (Station, Seq, Logged, OsUser, Version, Action, Order_id, AccnStr, "
                                "Details, Previous, Digest) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {NonNullText(station), seq, logged, user, version, e.action, e.orderId.isNull() ? QVariant() : e.orderId,
                  NonNullText(e.accnStr), NonNullText(e.details), NonNullText(previous), digest});
    ExecRegister(db, QStringLiteral("UPDATE audit_head SET Seq = ?, Digest = ? WHERE Station = ?"),
                 {seq, digest, NonNullText(station)});
}

QStringList VerifyAuditTrail(const QSqlDatabase &db)
{
    QStringList faults;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM audit_log ORDER BY Station, Seq").arg(QLatin1String(Columns))))
        throw EDatabaseError(db, q.lastError());
    struct Chain {
        qint64 seq = 0;
        QString digest, lastRow;
    };
    QMap<QString, Chain> chains;
    while (q.next()) {
        const QString row = q.value(0).toString(), station = q.value(1).toString();
        const qint64 seq = q.value(2).toLongLong();
        Chain &chain = chains[station];
        const QString where = QStringLiteral("row %1 (station %2, number %3 of its chain)").arg(row, station).arg(seq);
        if (seq != chain.seq + 1)
            faults << QStringLiteral("%1: the rows before it from number %2 on are missing").arg(where).arg(chain.seq + 1);
        else if (q.value(10).toString() != chain.digest)
            faults << QStringLiteral("%1 does not follow the row before it: that row was changed").arg(where);
        QStringList content{station, QString::number(seq)};
        for (int i = 3; i <= 10; ++i)
            content << (i == 7 ? idText(q.value(i)) : q.value(i).toString());
        if (digestOf(content) != q.value(11).toString())
            faults << QStringLiteral("%1 was changed after it was written").arg(where);
        chain = {seq, q.value(11).toString(), row};
    }
    QSqlQuery heads = ExecRegister(db, QStringLiteral("SELECT Station, Seq, Digest FROM audit_head ORDER BY Station"));
    QSet<QString> headed;
    while (heads.next()) {
        const QString station = heads.value(0).toString();
        headed << station;
        const Chain chain = chains.value(station);
        if (heads.value(1).toLongLong() != chain.seq || heads.value(2).toString() != chain.digest)
            faults << QStringLiteral("station %1: the chain's last rows are missing or changed (it ends at number %2, "
                                     "row %3; it was written up to number %4)")
                          .arg(station)
                          .arg(chain.seq)
                          .arg(chain.lastRow.isEmpty() ? QStringLiteral("none") : chain.lastRow)
                          .arg(heads.value(1).toLongLong());
    }
    for (auto chain = chains.cbegin(); chain != chains.cend(); ++chain)
        if (!headed.contains(chain.key()))
            faults << QStringLiteral("station %1: the record of where its chain ends is missing").arg(chain.key());
    return faults;
}

} // namespace Tabrix
