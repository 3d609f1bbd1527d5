#include "labels/LabelHistory.h"
#include "labels/Labels.h"
#include "register/Cursor.h"

#include <QColor>
#include <QDateTime>
#include <QSqlError>
#include <QScopeGuard>
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

} // namespace

namespace {
QStringList readColumns()
{
    QStringList columns{QStringLiteral("Order_id")};
    for (const Shown &shown : ShownColumns)
        columns << shown.column;
    return columns;
}
} // namespace

LabelHistoryModel::LabelHistoryModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent), m_rows(db, QStringLiteral("label_log"), readColumns(), QStringLiteral("Label_id"))
{
}

void LabelHistoryModel::showLabelsOf(const QVariant &orderId)
{
    beginResetModel();
    const auto ended = qScopeGuard([this] { endResetModel(); });
    m_rows.show(orderId);
}

LedgerLabel LabelHistoryModel::labelAt(int row) const
{
    const QSqlRecord *r = record(row);
    if (!r)
        return {};
    return {r->value(QStringLiteral("Order_id")), r->value(QStringLiteral("AccnStr")).toString(),
            r->value(QStringLiteral("TestCode")).toString(),
            LedgerOutcome::IsSent(r->value(QStringLiteral("Outcome")).toString())};
}

const QSqlRecord *LabelHistoryModel::record(int row) const
{
    return m_rows.at(row);
}

int LabelHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.count());
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
    const bool failed = !LedgerOutcome::IsSent(r->value(QStringLiteral("Outcome")).toString());
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
    return ExportRecordTable(db, QStringLiteral("label_log"), LedgerColumns, QStringLiteral("Label_id"), file,
                             QStringLiteral("The label history"),
                             [](const QString &column, const QVariant &value) {
                                 return column == u"Printed" ? printedText(value) : value.toString();
                             },
                             keepGoing);
}

} // namespace Tabrix
