#include "register/setup/RegisterSetup.h"
#include "app/TabrixError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

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

void CreateSqliteRegister(const QString &dbFile)
{
    if (QFileInfo::exists(dbFile))
        throw ETabrixError(QStringLiteral("%1 exists already").arg(dbFile));
    const QString name = QStringLiteral("tabrix-setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbFile);
        if (!db.open())
            throw ETabrixError(db.lastError().text());
        try {
            CreateTables(db, QStringLiteral("sqlite"));
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            QFile::remove(dbFile);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void CreatePostgresRegister(const QString &host, int port, const QString &database, const QString &user,
                            const QString &password)
{
    const QString name = QStringLiteral("tabrix-setup-pg");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(host);
        db.setPort(port);
        db.setDatabaseName(database);
        db.setUserName(user);
        db.setPassword(password);
        if (!db.open()) {
            const QString error = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw ETabrixError(error);
        }
        try {
            CreateTables(db, QStringLiteral("postgresql"));
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
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
