#include "register/WriterWait.h"
#include "register/SqliteHandle.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <sqlite3.h>

namespace Tabrix {

namespace {

// SQLite calls this, on the waiting thread, each time a lock it needs is held;
// `tries` counts from 0 for each wait. Nonzero means "try again".
int tryAgainSoon(void *, int tries)
{
    thread_local QElapsedTimer waiting;
    if (tries == 0)
        waiting.start();
    if (waiting.elapsed() >= WriterWaitMs)
        return 0;
    sqlite3_sleep(1 + int(QRandomGenerator::global()->bounded(3)));
    return 1;
}

} // namespace

void WaitForOtherWriters(const QSqlDatabase &db)
{
    if (db.driverName() == QLatin1String("QPSQL")) {
        QSqlQuery(db).exec(QStringLiteral("SET lock_timeout = %1").arg(WriterWaitMs));
        return;
    }
    if (sqlite3 *connection = SqliteHandle(db))
        sqlite3_busy_handler(connection, tryAgainSoon, nullptr);
}

} // namespace Tabrix
