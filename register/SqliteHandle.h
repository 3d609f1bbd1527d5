#pragma once
#include <QSqlDatabase>

struct sqlite3;

namespace Tabrix {

// The SQLite connection under a Qt connection, for what Qt's driver has no call
// for; null for any other database.
sqlite3 *SqliteHandle(const QSqlDatabase &db);

} // namespace Tabrix
