#include "tests/TestSupport.h"
#include "register/RecordStore.h"
#include "register/WriterWait.h"
#include "register/setup/RegisterSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

namespace Tabrix::Support {

qint32 AddPatient(RecordStore &store, const ColumnValues &values, const QStringList &tests)
{
    Cursor &p = store.tblPatients;
    p.Append();
    for (const auto &[column, value] : values)
        p.setValue(column, value);
    p.Post();
    p.Refresh();
    const qint32 orderId = p.asInteger(QStringLiteral("Order_id"));
    for (const QString &code : tests) {
        store.tblTests.Append();
        store.tblTests.setValue(QStringLiteral("Order_id"), orderId);
        store.tblTests.setValue(QStringLiteral("TestCode"), code);
        store.tblTests.Post();
    }
    return orderId;
}

ProgramFolder::ProgramFolder() = default;

void ProgramFolder::createRegister()
{
    // TABRIX_TEST_PG=SOCKET_DIR:PORT runs the register tests on a private PostgreSQL
    // cluster instead, a fresh database for every folder.
    const QStringList pg = qEnvironmentVariable("TABRIX_TEST_PG").split(u':', Qt::SkipEmptyParts);
    if (pg.size() == 2) {
        static int made = 0;
        const QString database = QStringLiteral("tabrix_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
            admin.setHostName(pg[0]);
            admin.setPort(pg[1].toInt());
            admin.setDatabaseName(QStringLiteral("postgres"));
            admin.setUserName(QStringLiteral("postgres"));
            if (!admin.open() || !QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + database))
                qFatal("cannot create the PostgreSQL register %s", qPrintable(database));
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        RegisterSetup::CreatePostgresRegister(pg[0], pg[1].toInt(), database, QStringLiteral("postgres"), QString());
        RegisterSetup::WriteDataLink(path(QStringLiteral("tabrix.udl")),
                                     QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=postgres")
                                         .arg(pg[0], pg[1], database));
        return;
    }
    RegisterSetup::CreateSqliteRegister(path(QStringLiteral("tabrix.db")));
    RegisterSetup::WriteDataLink(path(QStringLiteral("tabrix.udl")), QStringLiteral("Provider=SQLite;Data Source=tabrix.db"));
}

void ProgramFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path(name)));
}

QByteArray ProgramFolder::readFile(const QString &name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<int, QByteArray> CapturedJobsById(const QStringList &before, int count)
{
    const QString out = qEnvironmentVariable("TABRIX_CUPS_DIR") + "/out";
    for (int wait = 0; wait < 100; ++wait) {
        QMap<int, QString> fresh;
        for (const QString &f : QDir(out).entryList({"job-*"}, QDir::Files))
            if (!before.contains(f))
                fresh[f.mid(4).toInt()] = f;
        if (fresh.size() >= count) {
            QMap<int, QByteArray> jobs;
            for (auto f = fresh.cbegin(); f != fresh.cend(); ++f) {
                QFile file(out + "/" + f.value());
                file.open(QIODevice::ReadOnly);
                jobs[f.key()] = file.readAll();
            }
            return jobs;
        }
        QThread::msleep(100);
    }
    return {};
}

QList<QByteArray> CapturedJobs(const QStringList &before, int count)
{
    return CapturedJobsById(before, count).values();
}

QList<QVariantList> QueryRows(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << qPrintable(sql) << ": " << qPrintable(q.lastError().text());
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        rows << row;
    }
    return rows;
}

ShortWriterWait::ShortWriterWait(int ms)
    : was(std::exchange(WriterWaitMs, ms))
{
}

ShortWriterWait::~ShortWriterWait()
{
    WriterWaitMs = was;
}

QStringList SpoolerJobs()
{
    return QDir(qEnvironmentVariable("TABRIX_CUPS_DIR") + "/out").entryList({"job-*"}, QDir::Files);
}

} // namespace Tabrix::Support
