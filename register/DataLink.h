#pragma once
#include <QMap>
#include <QSqlDatabase>
#include <QString>

namespace Tabrix {

// The data link file beside the program names the register: an optional "[oledb]"
// header, ";" comment lines, and one line of Key=Value pairs separated by ";".
// It is read as UTF-16LE when it starts with that byte-order mark, else as UTF-8.
struct DataLink {
    QString path;
    QMap<QString, QString> values; // keys in lower case

    QString value(const QString &key) const { return values.value(key.toLower()); }

    // Raises ETabrixError with a message that names what is wrong.
    static DataLink Read(const QString &path);
    // Opens the database the link names under the given connection name; raises
    // ETabrixError on failure. A relative SQLite path is relative to `baseDir`.
    QSqlDatabase Connect(const QString &connectionName, const QString &baseDir) const;
};

} // namespace Tabrix
