#include "register/AuditHistory.h"

namespace Tabrix {

namespace {

struct Shown {
    const char *column, *title;
};
constexpr Shown ShownColumns[] = {{"Logged", "Time"},      {"Action", "Change"}, {"AccnStr", "Accession"},
                                  {"Details", "Details"},   {"Station", "Station"}, {"OsUser", "User"},
                                  {"Version", "Version"}};

QStringList shownColumns()
{
    QStringList columns;
    for (const Shown &shown : ShownColumns)
        columns << QLatin1String(shown.column);
    return columns;
}

const QStringList TrailColumns = {"Audit_id", "Station", "Seq",      "Logged",  "OsUser",   "Version",
                                  "Action",   "Order_id", "AccnStr", "Details", "Previous", "Digest"};

} // namespace

AuditHistoryModel::AuditHistoryModel(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent), m_rows(db, QStringLiteral("audit_log"), shownColumns(), QStringLiteral("Audit_id"))
{
}

void AuditHistoryModel::showRowsOf(const QVariant &orderId)
{
    beginResetModel();
    try {
        m_rows.show(orderId);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

int AuditHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.count());
}

int AuditHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(std::size(ShownColumns));
}

QVariant AuditHistoryModel::data(const QModelIndex &index, int role) const
{
    const QSqlRecord *row = index.isValid() ? m_rows.at(index.row()) : nullptr;
    if (!row || role != Qt::DisplayRole)
        return {};
    const QVariant value = row->value(QLatin1String(ShownColumns[index.column()].column));
    // A change's lines one after another in the grid's one line.
    return index.column() == 3 ? QVariant(value.toString().replace(u'\n', QStringLiteral("; "))) : value;
}

QVariant AuditHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < int(std::size(ShownColumns)) ? QVariant(QLatin1String(ShownColumns[section].title)) : QVariant();
}

bool ExportAuditTrail(const QSqlDatabase &db, const QString &file,
                      const std::function<bool(qint64 written, qint64 total)> &keepGoing)
{
    return ExportRecordTable(db, QStringLiteral("audit_log"), TrailColumns, QStringLiteral("Audit_id"), file,
                             QStringLiteral("The audit trail"),
                             [](const QString &, const QVariant &value) { return value.toString(); }, keepGoing);
}

} // namespace Tabrix
