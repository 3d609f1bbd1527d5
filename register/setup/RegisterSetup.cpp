#include "register/setup/RegisterSetup.h"
#include "app/base/TabrixError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

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
    bool inBody = false; // a trigger body holds ";" of its own
    for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (const qsizetype c = line.indexOf(QLatin1String("--")); c >= 0)
            line.truncate(c);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        current += line + u'\n';
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

// Opens a connection of the driver set up by `configure`, runs the schema of `kind`
// on it and drops the connection again, whatever happens.
static void createOn(const QString &driver, const QString &kind, const std::function<void(QSqlDatabase &)> &configure)
{
    const QString name = QStringLiteral("tabrix-setup");
    const auto dropConnection = [&] { QSqlDatabase::removeDatabase(name); };
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        configure(db);
        if (!db.open())
            throw ETabrixError(db.lastError().text());
        CreateTables(db, kind);
        db.close();
    } catch (...) {
        dropConnection();
        throw;
    }
    dropConnection();
}

void CreateSqliteRegister(const QString &dbFile)
{
    if (QFileInfo::exists(dbFile))
        throw ETabrixError(QStringLiteral("%1 exists already").arg(dbFile));
    try {
        createOn(QStringLiteral("QSQLITE"), QStringLiteral("sqlite"), [&](QSqlDatabase &db) { db.setDatabaseName(dbFile); });
    } catch (...) {
        QFile::remove(dbFile); // no half-made register is left behind
        throw;
    }
}

void CreatePostgresRegister(const QString &host, int port, const QString &database, const QString &user,
                            const QString &password)
{
    createOn(QStringLiteral("QPSQL"), QStringLiteral("postgresql"), [&](QSqlDatabase &db) {
        db.setHostName(host);
        db.setPort(port);
        db.setDatabaseName(database);
        db.setUserName(user);
        db.setPassword(password);
    });
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
}

} // namespace Tabrix::RegisterSetup
