#include "register/DataLink.h"
#include "base/TabrixError.h"
#include "register/WriterWait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QStringDecoder>
#include <QUrl>

namespace Tabrix {

namespace {

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return utf8.decode(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

[[noreturn]] void fail(const QString &message)
{
    throw ETabrixError(message);
}

} // namespace

DataLink DataLink::Read(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        fail(QStringLiteral("The data link file %1 does not exist").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("The data link file %1 cannot be read: %2").arg(path, file.errorString()));
    const QString text = decode(file.read(1 << 20));

    DataLink link;
    link.path = path;
    for (const QString &raw : text.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.compare(u"[oledb]", Qt::CaseInsensitive) == 0)
            continue;
        for (const QString &pair : line.split(u';', Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq <= 0)
                continue;
            const QString key = pair.left(eq).trimmed().toLower();
            if (!link.values.contains(key))
                link.values.insert(key, pair.mid(eq + 1).trimmed());
        }
        break; // the first line that is neither header nor comment is the connection string
    }
    if (link.values.isEmpty())
        fail(QStringLiteral("The data link file %1 holds no connection string").arg(path));
    if (link.value("Provider").isEmpty())
        fail(QStringLiteral("The data link file %1 names no Provider").arg(path));
    return link;
}

QSqlDatabase DataLink::Connect(const QString &connectionName, const QString &baseDir) const
{
    const QString provider = value("Provider");
    const QString source = value("Data Source");
    const auto require = [&](const char *key) {
        if (value(key).isEmpty())
            fail(QStringLiteral("The data link file %1 names no %2").arg(path, QLatin1String(key)));
    };

    QSqlDatabase db;
    if (provider.compare(u"SQLite", Qt::CaseInsensitive) == 0) {
        require("Data Source");
        const QString file = QDir(baseDir).absoluteFilePath(source);
        if (!QFileInfo(file).isFile())
            fail(QStringLiteral("The register %1 does not exist").arg(file));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        // mode=rw: never create a register that is not there.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    } else if (provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0) {
        require("Data Source");
        require("Initial Catalog");
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(source);
        if (const auto port = value("Port").toInt(); port > 0)
            db.setPort(port);
        db.setDatabaseName(value("Initial Catalog"));
        db.setUserName(value("User ID"));
        db.setPassword(value("Password"));
    } else {
        fail(QStringLiteral("The data link file %1 names the unknown provider \"%2\"").arg(path, provider));
    }
    if (!db.isValid())
        fail(QStringLiteral("The database driver for %1 is not installed").arg(provider));
    if (!db.open()) {
        const QString error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        fail(QStringLiteral("Unable to open the register: %1").arg(error));
    }
    // Stations sharing the file wait for each other's writes rather than fail.
    WaitForOtherWriters(db);
    return db;
}

} // namespace Tabrix
