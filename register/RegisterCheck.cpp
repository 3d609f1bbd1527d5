#include "register/RegisterCheck.h"
#include "base/TabrixError.h"
#include "register/SqliteHandle.h"

#include <QElapsedTimer>
#include <sqlite3.h>

namespace Tabrix {

QStringList CheckRegisterFile(const QSqlDatabase &db, bool quick, int timeLimitMs, int limit)
{
    sqlite3 *handle = SqliteHandle(db);
    if (!handle)
        return {};
    QElapsedTimer clock;
    clock.start();
    // SQLite asks every thousand steps whether to go on; past the time it stops.
    struct Bound {
        QElapsedTimer *clock;
        int ms;
    } bound{&clock, timeLimitMs};
    if (timeLimitMs > 0)
        sqlite3_progress_handler(
            handle, 1000, [](void *b) { auto *x = static_cast<Bound *>(b); return x->clock->hasExpired(x->ms) ? 1 : 0; },
            &bound);
    const QByteArray sql = QStringLiteral("PRAGMA %1(%2)")
                               .arg(quick ? QStringLiteral("quick_check") : QStringLiteral("integrity_check"))
                               .arg(limit)
                               .toLatin1();
    sqlite3_stmt *statement = nullptr;
    QStringList faults;
    int rc = sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            if (const QString line = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)))
                                         .remove(QStringLiteral("*** in database main ***"))
                                         .trimmed();
                line != QLatin1String("ok"))
                faults << line;
    const QString error = QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_finalize(statement);
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    if (rc == SQLITE_INTERRUPT)
        return {}; // out of time: the next start checks again
    if (rc != SQLITE_DONE) {
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB)
            return faults << error;
        throw ETabrixError(QStringLiteral("The register cannot be checked: %1").arg(error));
    }
    return faults;
}

QString RegisterName(const QSqlDatabase &db)
{
    if (sqlite3 *handle = SqliteHandle(db))
        return QString::fromUtf8(sqlite3_db_filename(handle, "main"));
    return QStringLiteral("the database %1 on %2:%3").arg(db.databaseName(), db.hostName()).arg(db.port());
}

QString DamagedRegisterText(const QSqlDatabase &db, const QString &programDir, const QStringList &faults)
{
    const QString file = RegisterName(db);
    QString dir = programDir;
    if (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return QStringLiteral("The register %1 is damaged: %2%3\n\nRegistrations may be missing or fail to save. Close "
                          "Tabrix on every station that uses it, run \"tabrix-register check %4\" to see the damage, and "
                          "restore the register from its last backup (see \"man tabrix-register\"); File > Export "
                          "writes every registration that can still be read.")
        .arg(file, faults.value(0).simplified(),
             faults.size() > 1 ? QStringLiteral(" (and %1 more faults)").arg(faults.size() - 1) : QString(), dir);
}

} // namespace Tabrix
