#include "log/PatientLogModel.h"
#include "base/DateFormat.h"
#include "register/Cursor.h"
#include "register/RegisterStatement.h"
#include "register/SQUtils.h"

#include <QLocale>
#include <algorithm>

namespace Tabrix {

const QStringList PatientLogModel::Columns = {"AccnStr", "Last_Name", "First_Name", "Patient_id", "Gender", "Created"};
const QStringList PatientLogModel::Titles = {"Accession", "Last Name", "First Name", "Patient ID", "Gender", "Created"};

PatientLogModel::PatientLogModel(Cursor &patients, QObject *parent)
    : QAbstractTableModel(parent), m_patients(patients)
{
}

void PatientLogModel::reload()
{
    beginResetModel();
    m_pages.clear();
    m_currentIndex = -1;
    m_count = m_patients.count();
    endResetModel();
}

int PatientLogModel::currentRow() const
{
    if (m_patients.IsEmpty())
        return -1;
    if (m_currentIndex < 0 || m_current != m_patients.current()) {
        m_currentIndex = m_patients.indexOfCurrent();
        m_current = m_patients.current();
    }
    return int(m_currentIndex);
}

const QSqlRecord *PatientLogModel::record(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const QList<QSqlRecord> &rows = pageAt(row / PageSize);
    const int inPage = row % PageSize;
    return inPage < rows.size() ? &rows.at(inPage) : nullptr;
}

const QList<QSqlRecord> &PatientLogModel::pageAt(qint64 page) const
{
    if (const QList<QSqlRecord> *rows = m_pages.object(page))
        return *rows;
    const qint64 first = page * PageSize, last = std::min(m_count, first + PageSize) - 1;
    // The nearest known rows before and after the page: the ends to begin with.
    struct Known {
        qint64 index;
        const QSqlRecord *row;
    };
    Known before{-1, nullptr}, after{m_count, nullptr};
    const auto consider = [&](qint64 index, const QSqlRecord &row) {
        if (index < first && index > before.index)
            before = {index, &row};
        if (index > last && index < after.index)
            after = {index, &row};
    };
    for (qint64 key : m_pages.keys())
        if (const QList<QSqlRecord> *rows = m_pages.object(key); rows && !rows->isEmpty()) {
            consider(key * PageSize, rows->first());
            consider(key * PageSize + rows->size() - 1, rows->last());
        }
    if (m_currentIndex >= 0)
        consider(m_currentIndex, m_current);
    const int size = int(last - first + 1);
    const qint64 skipAfter = first - before.index - 1, skipBefore = after.index - last - 1;
    auto *rows = new QList<QSqlRecord>(
        skipAfter <= skipBefore ? m_patients.rowsBeside(before.row, Cursor::Direction::After, skipAfter, size)
                                : m_patients.rowsBeside(after.row, Cursor::Direction::Before, skipBefore, size));
    m_pages.insert(page, rows);
    return *m_pages.object(page);
}

QVariant PatientLogModel::keyOfTyped(const QString &typed) const
{
    const QStringList order = m_patients.sortFields();
    if (order.isEmpty() || typed.isEmpty())
        return {};
    const QString field = order.first();
    if (m_patients.dateTimeColumns().contains(field.toLower()))
        return {}; // a date is not typed as its stored text
    QVariant from = typed.toUpper();
    if (field.compare(QLatin1String("AccnNum"), Qt::CaseInsensitive) == 0) {
        bool digits = false;
        const qint64 n = typed.toLongLong(&digits);
        from = digits ? n : qint64(AccnStrToNum(typed.toUpper()));
        if (from.toLongLong() == 0)
            return {};
    }
    QSqlQuery q = ExecRegister(m_patients.database(),
                               QStringLiteral("SELECT %1 FROM %2 WHERE %3 >= ? ORDER BY %4, %1 LIMIT 1")
                                   .arg(m_patients.keyField(), m_patients.table(), field, order.join(QStringLiteral(", "))),
                               {from});
    return q.next() ? q.value(0) : QVariant();
}

QVariant PatientLogModel::keyAt(int row) const
{
    const QSqlRecord *r = record(row);
    return r ? r->value(QStringLiteral("Order_id")) : QVariant();
}

int PatientLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_count);
}

int PatientLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(Columns.size());
}

QVariant PatientLogModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const QSqlRecord *r = record(index.row());
    if (!r)
        return {};
    const QString column = Columns.at(index.column());
    if (column == u"Created") {
        const QDateTime created = QDateTime::fromString(r->value(column).toString(), Qt::ISODateWithMs);
        return created.isValid() ? FormatDateTime(QStringLiteral("c"), created, QLocale::system()) : r->value(column);
    }
    return r->value(column);
}

QVariant PatientLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return Titles.value(section);
    return section + 1;
}

} // namespace Tabrix
