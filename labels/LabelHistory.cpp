#include "labels/LabelHistory.h"
#include "base/AtomicFile.h"
#include "labels/Labels.h"
#include "register/Cursor.h"

#include <QColor>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace Tabrix {

namespace {

// The ledger's columns in the order its table holds them, as the export writes them.
const QStringList LedgerColumns = {"Label_id", "Order_id", "AccnNum", "AccnStr", "TestCode", "Printed", "Station",
                                   "Printer", "Job_id", "Bytes", "Digest", "Outcome", "Reprint"};

// The history window's columns, left to right, and their titles.
struct Shown {
    QString column, title;
};
const QList<Shown> ShownColumns = {{"Printed", "Printed"}, {"AccnStr", "Accession"}, {"TestCode", "Test"},
                                   {"Reprint", "Reprint"}, {"Outcome", "Outcome"},   {"Printer", "Printer"},
                                   {"Job_id", "Job"},      {"Station", "Station"},   {"Bytes", "Bytes"},
                                   {"Digest", "SHA-256"}};

// Dates and times as both registers give them back, to the second.
QString printedText(const QVariant &value)
{
    const QDateTime printed = value.toDateTime();
    return printed.isValid() ? printed.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : value.toString();
}

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

LabelHistoryModel::LabelHistoryModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent), m_db(db)
{
}

void LabelHistoryModel::showLabelsOf(const QVariant &orderId)
{
    QSqlQuery count = orderId.isNull()
                          ? ExecRegister(m_db, QStringLiteral("SELECT count(*) FROM label_log"))
                          : ExecRegister(m_db, QStringLiteral("SELECT count(*) FROM label_log WHERE Order_id = ?"), {orderId});
    beginResetModel();
    m_orderId = orderId;
    m_pages.clear();
    m_count = count.next() ? count.value(0).toLongLong() : 0;
    endResetModel();
}

LedgerLabel LabelHistoryModel::labelAt(int row) const
{
    const QSqlRecord *r = record(row);
    if (!r)
        return {};
    return {r->value(QStringLiteral("Order_id")), r->value(QStringLiteral("AccnStr")).toString(),
            r->value(QStringLiteral("TestCode")).toString(), r->value(QStringLiteral("Digest")).toString(),
            r->value(QStringLiteral("Outcome")).toString() == LabelJob::Sent};
}

const QSqlRecord *LabelHistoryModel::record(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const qint64 page = row / PageSize;
    if (!m_pages.contains(page)) {
        auto *rows = new QList<QSqlRecord>;
        QStringList columns{QStringLiteral("Order_id")};
        for (const Shown &shown : ShownColumns)
            columns << shown.column;
        const QString select = QStringLiteral("SELECT ") + columns.join(u',') + QStringLiteral(" FROM label_log ");
        const QString order = QStringLiteral(" ORDER BY Label_id DESC LIMIT ? OFFSET ?");
        try {
            QSqlQuery q = m_orderId.isNull()
                              ? ExecRegister(m_db, select + order, {PageSize, page * PageSize})
                              : ExecRegister(m_db, select + QStringLiteral("WHERE Order_id = ?") + order,
                                             {m_orderId, PageSize, page * PageSize});
            while (q.next())
                *rows << q.record();
        } catch (const ETabrixError &) {
            // Asked while the window paints, where no error may pass: a page that cannot
            // be read (the register gone meanwhile) shows empty rows.
        }
        m_pages.insert(page, rows);
    }
    const QList<QSqlRecord> *rows = m_pages.object(page);
    const int inPage = row % PageSize;
    return inPage < rows->size() ? &rows->at(inPage) : nullptr;
}

int LabelHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_count);
}

int LabelHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ShownColumns.size());
}

QVariant LabelHistoryModel::data(const QModelIndex &index, int role) const
{
    const QSqlRecord *r = index.isValid() ? record(index.row()) : nullptr;
    if (!r)
        return {};
    const bool reprint = r->value(QStringLiteral("Reprint")).toInt() > 0;
    const bool failed = r->value(QStringLiteral("Outcome")).toString() != LabelJob::Sent;
    switch (role) {
    case Qt::BackgroundRole:
        return reprint ? QVariant(QColor(255, 236, 179)) : QVariant(); // reprints shaded amber
    case Qt::ForegroundRole:
        return failed ? QVariant(QColor(176, 0, 32)) : QVariant(); // labels that did not print in red
    case Qt::DisplayRole:
        break;
    default:
        return {};
    }
    const QString &column = ShownColumns.at(index.column()).column;
    const QVariant value = r->value(column);
    if (value.isNull())
        return {}; // a null number reads as 0 otherwise
    if (column == u"Printed")
        return printedText(value);
    if (column == u"AccnStr" && r->value(QStringLiteral("Order_id")).isNull())
        return QStringLiteral("test label");
    if (column == u"Reprint")
        return reprint ? QStringLiteral("reprint %1").arg(value.toInt()) : QStringLiteral("first");
    return value;
}

QVariant LabelHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < ShownColumns.size() ? QVariant(ShownColumns.at(section).title) : QVariant();
}

bool ExportLabelHistory(const QSqlDatabase &db, const QString &file,
                        const std::function<bool(qint64 written, qint64 total)> &keepGoing)
{
    AtomicFileWriter out(file);
    const auto fail = [&](const QString &why) {
        throw ETabrixError(QStringLiteral("The label history could not be written to %1: %2").arg(file, why));
    };
    if (const QString why = out.write({}); !why.isEmpty())
        fail(why);
    QSqlQuery count = ExecRegister(db, QStringLiteral("SELECT count(*) FROM label_log"));
    const qint64 total = count.next() ? count.value(0).toLongLong() : 0;
    QSqlQuery q = ExecRegister(db, QStringLiteral("SELECT ") + LedgerColumns.join(u',') +
                                       QStringLiteral(" FROM label_log ORDER BY Label_id"));
    out.write(LedgerColumns.join(u',').toUtf8() + "\r\n");
    const int printed = int(LedgerColumns.indexOf(QStringLiteral("Printed")));
    QByteArray line;
    qint64 written = 0;
    while (q.next()) {
        line.resize(0);
        for (int i = 0; i < LedgerColumns.size(); ++i) {
            if (i)
                line += ',';
            const QVariant value = q.value(i);
            if (!value.isNull())
                line += csvField(i == printed ? printedText(value) : value.toString());
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
