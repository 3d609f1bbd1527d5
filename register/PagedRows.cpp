#include "register/PagedRows.h"
#include "base/AtomicFile.h"
#include "base/TabrixError.h"
#include "register/RegisterStatement.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Tabrix {

PagedRows::PagedRows(const QSqlDatabase &db, QString table, QStringList columns, QString key)
    : m_db(db), m_table(std::move(table)), m_key(std::move(key)), m_columns(std::move(columns))
{
}

void PagedRows::show(const QVariant &orderId)
{
    QSqlQuery count = orderId.isNull()
                          ? ExecRegister(m_db, QStringLiteral("SELECT count(*) FROM %1").arg(m_table))
                          : ExecRegister(m_db, QStringLiteral("SELECT count(*) FROM %1 WHERE Order_id = ?").arg(m_table),
                                         {orderId});
    m_orderId = orderId;
    m_pages.clear();
    m_count = count.next() ? count.value(0).toLongLong() : 0;
}

const QSqlRecord *PagedRows::at(qint64 row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const qint64 page = row / PageSize;
    if (!m_pages.contains(page)) {
        auto *rows = new QList<QSqlRecord>;
        const QString select = QStringLiteral("SELECT %1 FROM %2 ").arg(m_columns.join(u','), m_table);
        const QString order = QStringLiteral(" ORDER BY %1 DESC LIMIT ? OFFSET ?").arg(m_key);
        try {
            QSqlQuery q = m_orderId.isNull()
                              ? ExecRegister(m_db, select + order, {PageSize, page * PageSize})
                              : ExecRegister(m_db, select + QStringLiteral("WHERE Order_id = ?") + order,
                                             {m_orderId, PageSize, page * PageSize});
            while (q.next())
                *rows << q.record();
        } catch (const ETabrixError &) {
        }
        m_pages.insert(page, rows);
    }
    const QList<QSqlRecord> *rows = m_pages.object(page);
    const qint64 inPage = row % PageSize;
    return inPage < rows->size() ? &rows->at(inPage) : nullptr;
}

namespace {

// One field of a CSV line: quoted, its quotes doubled, when it holds a comma, a
// quote or a line break.
QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n'))
        field = '"' + field.replace('"', "\"\"") + '"';
    return field;
}

} // namespace

bool ExportRecordTable(const QSqlDatabase &db, const QString &table, const QStringList &columns, const QString &key,
                       const QString &file, const QString &what,
                       const std::function<QString(const QString &, const QVariant &)> &text,
                       const std::function<bool(qint64, qint64)> &keepGoing)
{
    AtomicFileWriter out(file);
    const auto fail = [&](const QString &why) {
        throw ETabrixError(QStringLiteral("%1 could not be written to %2: %3").arg(what, file, why));
    };
    if (const QString why = out.write({}); !why.isEmpty())
        fail(why);
    QSqlQuery count = ExecRegister(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    const qint64 total = count.next() ? count.value(0).toLongLong() : 0;
    QSqlQuery q = ExecRegister(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(u','), table, key));
    out.write(columns.join(u',').toUtf8() + "\r\n");
    QByteArray line;
    qint64 written = 0;
    while (q.next()) {
        line.resize(0);
        for (int i = 0; i < columns.size(); ++i) {
            if (i)
                line += ',';
            const QVariant value = q.value(i);
            if (!value.isNull())
                line += csvField(text(columns[i], value));
        }
        out.write(line + "\r\n"); // the atomic writer buffers the lines; a failure is kept for the commit
        if (++written % 256 == 0 && !keepGoing(written, total))
            return false;
    }
    if (q.lastError().isValid())
        throw EDatabaseError(db, q.lastError());
    if (const QString why = out.commit(); !why.isEmpty())
        fail(why);
    return true;
}

} // namespace Tabrix
