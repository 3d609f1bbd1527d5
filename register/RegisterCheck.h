#pragma once
#include <QSqlDatabase>
#include <QStringList>

namespace Tabrix {

// What SQLite's own check finds wrong with a register file: nothing when it is
// whole, else one line a fault ("Tree 4 page 1301 cell 0: ..."), at most `limit`.
// `quick`: the quick check (no index against its table) that the program makes
// at each start, given `timeLimitMs` at most (0: no limit): when the time runs out
// nothing is said. A database other than SQLite has nothing to check here.
// Raises ETabrixError when the check itself cannot run.
QStringList CheckRegisterFile(const QSqlDatabase &db, bool quick, int timeLimitMs = 0, int limit = 100);

// Which register `db` is, for the log and the user: its file, or its database and server.
QString RegisterName(const QSqlDatabase &db);

// The warning at start for a damaged register file (the one `db` has open): its
// first fault, and what to do.
QString DamagedRegisterText(const QSqlDatabase &db, const QString &programDir, const QStringList &faults);

} // namespace Tabrix
