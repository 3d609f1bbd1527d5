#pragma once
// A register of many patients with three tests each, for the benchmarks.
#include "register/setup/RegisterSetup.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace Tabrix::Bench {

// `complete`: every field a save checks is filled too (date of birth, location,
// collection and receipt), as a registration sent to the LIS has them.
inline void fill(const QString &dbFile, int patients, bool complete = false)
{
    RegisterSetup::CreateSqliteRegister(dbFile);
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
    db.setDatabaseName(dbFile);
    db.open();
    QSqlQuery(db).exec("PRAGMA synchronous=OFF");
    db.transaction();
    QSqlQuery p(db), t(db);
    p.prepare(complete ? "INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name, Patient_id, Gender, DOB, "
                         "Location, Collection_date, Collection_Time, Recieve_date, Recieve_Time) "
                         "VALUES (?, ?, ?, ?, ?, ?, 'M', '01/19/1970', 'W144', '12/08/2026', '0915', '12/08/2026', '0930')"
                       : "INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name, Patient_id, Gender) "
                         "VALUES (?, ?, ?, ?, ?, ?, 'M')");
    t.prepare("INSERT INTO tests (Order_id, TestCode) VALUES (?, ?)");
    // Registered a few seconds apart over the downtime's days (one at midnight exactly).
    const QDateTime start(QDate(2026, 12, 8), QTime(0, 0));
    static const char *const codes[] = {"CBC", "BMP", "TSH"};
    for (int i = 0; i < patients; ++i) {
        const int accn = 100000001 + i;
        p.addBindValue(accn);
        p.addBindValue(QStringLiteral("X%1").arg(accn - 100000000));
        p.addBindValue(start.addSecs(qint64(i) * 7).toString(Qt::ISODateWithMs));
        p.addBindValue(QStringLiteral("LAST%1").arg((qint64(i) * 7919) % patients));
        p.addBindValue(QStringLiteral("FIRST%1").arg(i % 1000));
        p.addBindValue(QString::number(i));
        p.exec();
        const QVariant id = p.lastInsertId();
        for (const char *code : codes) {
            t.addBindValue(id);
            t.addBindValue(QString::fromLatin1(code));
            t.exec();
        }
    }
    db.commit();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("fill");
}


} // namespace Tabrix::Bench
