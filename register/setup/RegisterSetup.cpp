#include "register/setup/RegisterSetup.h"
#include "base/TabrixError.h"
#include "register/RegisterCheck.h"
#include "register/RegisterStatement.h"
#include "register/SqliteHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <sqlite3.h>

// The schema files are compiled into this library; a static library must ask for them.
static void loadSchemaFiles()
{
    Q_INIT_RESOURCE(schema);
}

namespace Tabrix::RegisterSetup {

QStringList SchemaStatements(const QString &kind)
{
    loadSchemaFiles();
    QFile file(QStringLiteral(":/schema/%1.sql").arg(kind));
    if (!file.open(QIODevice::ReadOnly))
        throw ETabrixError(QStringLiteral("There is no schema for \"%1\"").arg(kind));
    QStringList statements;
    QString current;
    bool inBody = false;   // a trigger body holds ";" of its own
    bool inDollars = false; // so does a function body between $$ and $$
    for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (const qsizetype c = line.indexOf(QLatin1String("--")); c >= 0)
            line.truncate(c);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        current += line + u'\n';
        if (line.count(QLatin1String("$$")) % 2 == 1)
            inDollars = !inDollars;
        if (inDollars)
            continue;
        if (line.compare(u"BEGIN", Qt::CaseInsensitive) == 0 || line.endsWith(QLatin1String(" BEGIN"), Qt::CaseInsensitive))
            inBody = true;
        const bool ends = line.endsWith(u';') && (!inBody || line.compare(u"END;", Qt::CaseInsensitive) == 0);
        if (ends) {
            statements << current.trimmed();
            current.clear();
            inBody = false;
        }
    }
    return statements;
}

void CreateTables(QSqlDatabase db, const QString &kind)
{
    if (!db.transaction())
        throw ETabrixError(db.lastError().text());
    for (const QString &statement : SchemaStatements(kind)) {
        QSqlQuery q(db);
        if (!q.exec(statement)) {
            const QString error = q.lastError().text();
            db.rollback();
            throw ETabrixError(QStringLiteral("%1\n%2").arg(error, statement));
        }
    }
    if (!db.commit())
        throw ETabrixError(db.lastError().text());
}

// Stations sharing one register file write one after another without ever
// keeping each other from reading, and a commit costs one write of the log.
static void useWriteAheadLog(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        throw ETabrixError(q.lastError().text());
}

// Opens a connection of the driver set up by `configure`, runs `work` on it and
// drops the connection again, whatever happens.
static void onConnection(const QString &driver, const std::function<void(QSqlDatabase &)> &configure,
                         const std::function<void(QSqlDatabase &)> &work)
{
    const QString name = QStringLiteral("tabrix-setup");
    const auto dropConnection = [&] { QSqlDatabase::removeDatabase(name); };
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        configure(db);
        if (!db.open())
            throw ETabrixError(db.lastError().text());
        work(db);
        db.close();
    } catch (...) {
        dropConnection();
        throw;
    }
    dropConnection();
}

// A file made in a folder that a group shares (a station's users) is the group's
// to read and write, and nobody else's: the register holds patient data, the data
// link file may hold a password. Elsewhere the file keeps the user's own permissions.
static void shareWithFolderGroup(const QString &file)
{
    const QFileInfo made(QFileInfo(file).canonicalFilePath()); // through a link, the file itself
    if (QFileInfo(made.absolutePath()).permissions() & QFileDevice::WriteGroup)
        QFile::setPermissions(made.filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                                   QFileDevice::WriteGroup);
}

void CreateSqliteRegister(const QString &dbFile)
{
    if (QFileInfo::exists(dbFile))
        throw ETabrixError(QStringLiteral("%1 exists already").arg(dbFile));
    try {
        onConnection(
            QStringLiteral("QSQLITE"),
            [&](QSqlDatabase &db) {
                db.setDatabaseName(dbFile);
                if (db.open())
                    useWriteAheadLog(db);
            },
            [](QSqlDatabase &db) { CreateTables(db, QStringLiteral("sqlite")); });
    } catch (...) {
        QFile::remove(dbFile); // no half-made register is left behind
        throw;
    }
    shareWithFolderGroup(dbFile);
}

qint64 CountRegistrations(const QString &dbFile)
{
    if (!QFileInfo(dbFile).isFile())
        throw ETabrixError(QStringLiteral("There is no register %1").arg(dbFile));
    qint64 registrations = 0;
    try {
        // Opened as the program opens it: a read-only connection would leave the write-ahead
        // log's files behind, where the last connection to close removes them.
        onConnection(
            QStringLiteral("QSQLITE"), [&](QSqlDatabase &db) { db.setDatabaseName(dbFile); },
            [&](QSqlDatabase &db) {
                QSqlQuery q(db);
                if (!q.exec(QStringLiteral("SELECT count(*) FROM patients")) || !q.next())
                    throw ETabrixError(q.lastError().text());
                registrations = q.value(0).toLongLong();
                if (!q.exec(QStringLiteral("SELECT count(*) FROM tests")))
                    throw ETabrixError(q.lastError().text());
            });
    } catch (const ETabrixError &e) {
        throw ETabrixError(QStringLiteral("%1 cannot be read as a register: %2").arg(dbFile, e.message()));
    }
    return registrations;
}

void CreatePostgresRegister(const QString &host, int port, const QString &database, const QString &user,
                            const QString &password)
{
    onConnection(
        QStringLiteral("QPSQL"),
        [&](QSqlDatabase &db) {
            db.setHostName(host);
            db.setPort(port);
            db.setDatabaseName(database);
            db.setUserName(user);
            db.setPassword(password);
        },
        [](QSqlDatabase &db) { CreateTables(db, QStringLiteral("postgresql")); });
}

// A schema statement that leaves a register that has what it makes as it is.
static bool isRepeatable(const QString &statement)
{
    for (const char *phrase : {"IF NOT EXISTS", "OR REPLACE", "OR IGNORE", "ON CONFLICT DO NOTHING"})
        if (statement.contains(QLatin1String(phrase), Qt::CaseInsensitive))
            return true;
    return false;
}

QStringList UpgradeRegister(QSqlDatabase db)
{
    const auto fail = [](const QSqlQuery &q) { return ETabrixError(q.lastError().text()); };
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT p.AccnNum, p.AccnStr, p.Order_id, p.Last_Name, p.First_Name, p.Created "
                               "FROM patients p WHERE p.AccnNum IN "
                               "(SELECT AccnNum FROM patients GROUP BY AccnNum HAVING COUNT(*) > 1) "
                               "ORDER BY p.AccnNum, p.Order_id")))
        throw fail(q);
    QStringList duplicates;
    while (q.next())
        duplicates << QStringLiteral("%1 (%2): row %3, %4, %5, created %6")
                          .arg(q.value(1).toString(), q.value(0).toString(), q.value(2).toString(), q.value(3).toString(),
                               q.value(4).toString(), q.value(5).toString());
    if (!duplicates.isEmpty())
        return duplicates;
    const bool postgres = db.driverName() == QLatin1String("QPSQL");
    QStringList steps = {QStringLiteral("DROP INDEX IF EXISTS AccnNum"),
                         QStringLiteral("CREATE UNIQUE INDEX AccnNum ON patients (AccnNum)")};
    if (postgres)
        steps << QStringLiteral("CREATE INDEX IF NOT EXISTS patients_AccnNum_Order_id ON patients (AccnNum, Order_id)");
    // What later versions added (the print ledger, the numbers given): every
    // statement of the schema that can run again on a register that has it.
    for (const QString &statement : SchemaStatements(postgres ? QStringLiteral("postgresql") : QStringLiteral("sqlite")))
        if (isRepeatable(statement))
            steps << statement;
    if (!db.transaction())
        throw ETabrixError(db.lastError().text());
    for (const QString &step : steps)
        if (!q.exec(step)) {
            const ETabrixError error = fail(q);
            db.rollback();
            throw error;
        }
    if (!db.commit())
        throw ETabrixError(db.lastError().text());
    if (!postgres)
        useWriteAheadLog(db);
    return {};
}

RegisterCounts BackupSqliteRegister(const QSqlDatabase &source, const QString &copy)
{
    sqlite3 *from = SqliteHandle(source);
    if (!from)
        throw ETabrixError(QStringLiteral("Only an SQLite register is copied this way"));
    if (QFileInfo::exists(copy))
        throw ETabrixError(QStringLiteral("%1 exists already").arg(copy));
    sqlite3 *to = nullptr;
    const QByteArray name = QFile::encodeName(copy);
    int rc = sqlite3_open_v2(name.constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner); // patient data
        shareWithFolderGroup(copy);
        // All pages in one step, under one read transaction of the source: a
        // snapshot that stations writing meanwhile neither block nor change. A
        // writer holding the file a moment is waited for.
        sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
        rc = backup ? SQLITE_OK : sqlite3_errcode(to);
        for (int tries = 0; backup && tries < 600; ++tries) {
            rc = sqlite3_backup_step(backup, -1);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                break;
            sqlite3_sleep(50);
        }
        if (backup)
            sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE && rc != SQLITE_OK)
            error = QString::fromUtf8(sqlite3_errstr(rc));
        else
            rc = SQLITE_OK;
    } else {
        error = QString::fromUtf8(sqlite3_errmsg(to));
    }
    sqlite3_close(to);
    RegisterCounts counts;
    try {
        if (!error.isEmpty())
            throw ETabrixError(QStringLiteral("The register could not be copied to %1: %2").arg(copy, error));
        onConnection(
            QStringLiteral("QSQLITE"), [&](QSqlDatabase &db) { db.setDatabaseName(copy); },
            [&](QSqlDatabase &db) {
                if (const QStringList faults = CheckRegisterFile(db, false); !faults.isEmpty())
                    throw ETabrixError(QStringLiteral("The copy %1 is not whole: %2").arg(copy, faults.join(QStringLiteral("; "))));
                const auto count = [&](const char *table) -> qint64 {
                    if (!HasTable(db, QLatin1String(table)))
                        return 0;
                    QSqlQuery q(db);
                    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))) || !q.next())
                        throw ETabrixError(q.lastError().text());
                    return q.value(0).toLongLong();
                };
                counts = {count("patients"), count("tests"), count("label_log"), count("audit_log")};
            });
    } catch (...) {
        QFile::remove(copy);
        QFile::remove(copy + QStringLiteral("-wal"));
        QFile::remove(copy + QStringLiteral("-shm"));
        throw;
    }
    return counts;
}

void WriteDataLink(const QString &udlFile, const QString &connection)
{
    QSaveFile out(udlFile);
    if (!out.open(QIODevice::WriteOnly))
        throw ETabrixError(QStringLiteral("Unable to write to %1").arg(udlFile));
    out.write("[oledb]\n; Everything after this line is the connection string\n");
    out.write(connection.toUtf8() + '\n');
    if (!out.commit())
        throw ETabrixError(QStringLiteral("Unable to write to %1").arg(udlFile));
    shareWithFolderGroup(udlFile);
}

} // namespace Tabrix::RegisterSetup
