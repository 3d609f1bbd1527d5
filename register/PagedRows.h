#pragma once
#include <QCache>
#include <QList>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace Tabrix {

// The rows of a record table (the print ledger, the audit trail), newest first, of
// one registration or of the whole table, read a page at a time as a window asks
// for them, so the table's size does not matter.
class PagedRows {
public:
    static constexpr int PageSize = 200;
    // `columns` are read for each row; `key` orders them (newest first).
    PagedRows(const QSqlDatabase &db, QString table, QStringList columns, QString key);

    // The rows of the registration `orderId`, or of the whole table when it is
    // null. Raises EDatabaseError when the table cannot be read.
    void show(const QVariant &orderId);
    qint64 count() const { return m_count; }
    // The row at `row`, or none; a page that cannot be read meanwhile (the register
    // gone) shows no rows, as it is asked while a window paints.
    const QSqlRecord *at(qint64 row) const;

private:
    QSqlDatabase m_db;
    QString m_table, m_key;
    QStringList m_columns;
    QVariant m_orderId;
    qint64 m_count = 0;
    mutable QCache<qint64, QList<QSqlRecord>> m_pages{64};
};

// Writes a whole record table, oldest first, to `file` as comma-separated values
// (RFC 4180: a header row of the column names, fields quoted where they hold a
// comma, quote or line break, CR LF line ends) in UTF-8, replacing the file only
// once it is whole; an empty field for NULL. `text` turns a value into its field's
// text (a time to the second). `keepGoing(written, total)` runs every 256 rows;
// false cancels, leaving any earlier file as it was (returns false). Raises
// ETabrixError naming `what` ("the label history") and the file when it fails.
bool ExportRecordTable(const QSqlDatabase &db, const QString &table, const QStringList &columns, const QString &key,
                       const QString &file, const QString &what,
                       const std::function<QString(const QString &column, const QVariant &value)> &text,
                       const std::function<bool(qint64 written, qint64 total)> &keepGoing);

} // namespace Tabrix
