#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Creating a register: the tables come from the schema file of the database kind.
// Only the set-up tool and the tests do this; the program itself never creates
// or alters a table.
namespace Tabrix::RegisterSetup {

// The statements of a schema file ("sqlite"), one per item.
QStringList SchemaStatements(const QString &kind);
// Runs the schema on an open, empty database. Raises ETabrixError.
void CreateTables(QSqlDatabase db, const QString &kind);
// Creates a new SQLite register file with both tables. Raises ETabrixError when
// the file exists already or cannot be made. Made in a folder a group may write
// (a station shared by its users), the file is the group's to read and write only.
void CreateSqliteRegister(const QString &dbFile);
// How many registrations an SQLite register file holds; only reads it.
// Raises ETabrixError when it cannot be read or lacks the register's tables
// (patients and tests).
qint64 CountRegistrations(const QString &dbFile);
// Creates both tables in an existing, empty PostgreSQL database. Raises ETabrixError.
void CreatePostgresRegister(const QString &host, int port, const QString &database, const QString &user,
                            const QString &password);
// Brings a register made by an older set-up tool up to the shipped schema, in
// place: the AccnNum index becomes unique. When the register holds a number
// twice, nothing changes and the result lists each such number with its rows,
// one line a row ("X12345: row 17, PINDLE, OSKA, created 2026-12-08T09:30:00").
// Raises ETabrixError on a database failure.
QStringList UpgradeRegister(QSqlDatabase db);

// What a register holds, as a backup reports it.
struct RegisterCounts {
    qint64 registrations = 0, tests = 0, labels = 0, auditRows = 0;
};
// Copies the open SQLite register `source` whole into the new file `copy` with
// SQLite's online backup while stations keep working: the copy holds every
// registration committed before it began. The copy is then checked (integrity
// check) and counted; only its owner (or, in a folder a group shares, that group)
// may read it. Raises ETabrixError, leaving no copy, when `copy` exists already,
// cannot be made or is not whole.
RegisterCounts BackupSqliteRegister(const QSqlDatabase &source, const QString &copy);

// Writes a data link file holding `connection` (Key=Value;...), through a link to
// the file it names; shared with a folder's group as a new register is.
void WriteDataLink(const QString &udlFile, const QString &connection);

} // namespace Tabrix::RegisterSetup
