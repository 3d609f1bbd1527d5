#pragma once

#include <QSqlDatabase>

namespace Tabrix {

// Stations sharing one SQLite register file take turns at writing it. SQLite's own
// busy timeout waits ever longer between tries (up to 100 ms), so under steady load
// a station can lose every turn to stations that try more often and give up after
// its timeout with "database is locked". A connection set up here tries every few
// milliseconds, with a random offset so that waiting stations do not move in step,
// and gives up only after WriterWaitMs. On PostgreSQL a statement waits as long for
// a lock another station holds (lock_timeout), then fails rather than hang.
inline int WriterWaitMs = 20000; // read when a wait begins (a PostgreSQL connection: when it opens)
void WaitForOtherWriters(const QSqlDatabase &db);

} // namespace Tabrix
