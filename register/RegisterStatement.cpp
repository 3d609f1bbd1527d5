#include "register/RegisterStatement.h"
#include "base/EventLog.h"
#include "register/RegisterCheck.h"

#include <optional>
#include "register/WriterWait.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

namespace Tabrix {

EDatabaseError::EDatabaseError(const QSqlError &error)
    : ETabrixError(error.databaseText().isEmpty() ? error.text() : error.databaseText()),
      m_duplicate(error.nativeErrorCode() == QLatin1String("23505")
                  || error.databaseText().contains(QLatin1String("UNIQUE constraint failed")))
{
}

namespace {

// What became of an SQLite register file, when that is why a statement failed.
QString registerFileFault(const QSqlDatabase &db)
{
    if (db.driverName() != QLatin1String("QSQLITE"))
        return {};
    const QString file = QUrl(db.databaseName()).toLocalFile();
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("The register file %1 is gone: it was deleted or moved while Tabrix was running. "
                              "Nothing was saved; what you typed is still on screen. Put the file back and save again.")
            .arg(file);
    if (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("The register file %1 cannot be written (check its permissions and its folder's). "
                              "Nothing was saved; what you typed is still on screen.")
            .arg(file);
    return {};
}

} // namespace

EDatabaseError::EDatabaseError(const QSqlDatabase &db, const QSqlError &error)
    : EDatabaseError(error)
{
    if (const QString fault = registerFileFault(db); !fault.isEmpty())
        *this = EDatabaseError(fault);
}

namespace {

// A statement that failed because the connection to the register server is gone
// (the server restarted, the network dropped).
bool connectionLost(const QSqlDatabase &db, const QSqlError &error)
{
    if (db.driverName() != QLatin1String("QPSQL"))
        return false;
    const QString code = error.nativeErrorCode();
    const QString text = error.text();
    return error.type() == QSqlError::ConnectionError || code.startsWith(QLatin1String("08"))
           || code.startsWith(QLatin1String("57P")) || text.contains(QLatin1String("no connection to the server"))
           || text.contains(QLatin1String("server closed the connection")) || text.contains(QLatin1String("terminating connection"));
}

// Opens a connection that was lost anew; says so when the server is still away.
void reopen(QSqlDatabase &db)
{
    db.close();
    if (!db.open())
        throw EDatabaseError(QStringLiteral("The register server cannot be reached (%1). Nothing was saved; what you "
                                            "typed is still on screen: save again once the server is back.")
                                 .arg(db.lastError().text().trimmed()));
    WaitForOtherWriters(db); // the new connection waits for other stations as the first did
    EventLog::Write(QStringLiteral("register connection lost and opened again: %1").arg(RegisterName(db)));
}

} // namespace

QSqlQuery ExecRegister(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    const auto run = [&] {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        q.exec();
        return q;
    };
    // A write-ahead log takes a write even when its register file was deleted
    // meanwhile, and would lose it: a write first makes sure the file is there.
    if (!sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
        if (const QString fault = registerFileFault(db); !fault.isEmpty())
            throw EDatabaseError(fault);
    const bool wasOpen = db.isOpen();
    QSqlQuery q = wasOpen ? run() : QSqlQuery();
    if (wasOpen && !q.lastError().isValid())
        return q;
    if (wasOpen && !connectionLost(db, q.lastError()))
        throw EDatabaseError(db, q.lastError());
    // Once more on a new connection: the same statement with the same values.
    q = QSqlQuery();
    reopen(db);
    q = run();
    if (q.lastError().isValid())
        throw EDatabaseError(db, q.lastError());
    return q;
}

bool HasTable(const QSqlDatabase &db, const QString &name)
{
    for (const QString &table : db.tables())
        if (table.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QVariant InsertReturningKey(QSqlDatabase db, const QString &insert, const QVariantList &values, const QString &keyColumn)
{
    // PostgreSQL answers a RETURNING only once the statement is done. SQLite hands
    // a RETURNING row over before its autocommit is known, so there the statement
    // runs to its end and its key is read afterwards.
    if (db.driverName() == QLatin1String("QPSQL")) {
        QSqlQuery q = ExecRegister(db, insert + QStringLiteral(" RETURNING ") + keyColumn, values);
        if (!q.next())
            throw EDatabaseError(QStringLiteral("The register gave no key for the new row"));
        return q.value(0);
    }
    return ExecRegister(db, insert, values).lastInsertId();
}

// Transactions are begun and ended unprepared: PostgreSQL prepares no BEGIN.
RegisterTransaction::RegisterTransaction(QSqlDatabase db)
    : m_db(std::move(db))
{
    const bool sqlite = m_db.driverName() == QLatin1String("QSQLITE");
    const auto begin = [&]() -> std::optional<QSqlError> {
        QSqlQuery q(m_db);
        if (sqlite ? q.exec(QStringLiteral("BEGIN IMMEDIATE")) : m_db.transaction())
            return std::nullopt;
        return sqlite ? q.lastError() : m_db.lastError();
    };
    auto failed = m_db.isOpen() ? begin() : QSqlError();
    // A connection to a server that was lost is opened again once: nothing was done in it yet.
    if (failed && (!m_db.isOpen() || connectionLost(m_db, *failed))) {
        reopen(m_db);
        failed = begin();
    }
    if (failed)
        throw EDatabaseError(m_db, *failed);
    m_open = true;
}

RegisterTransaction::~RegisterTransaction()
{
    if (m_open)
        m_db.rollback();
}

void RegisterTransaction::commit()
{
    if (!m_db.commit())
        throw EDatabaseError(m_db, m_db.lastError());
    m_open = false;
}

} // namespace Tabrix
