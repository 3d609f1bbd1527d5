#include "log/PatientLogModel.h"
#include "labels/DateFormat.h"
#include "register/Cursor.h"

#include <QLocale>

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
    m_count = m_patients.count();
    endResetModel();
}

int PatientLogModel::currentRow() const
{
    return m_patients.IsEmpty() ? -1 : int(m_patients.countBeforeCurrent());
}

const QSqlRecord *PatientLogModel::record(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const qint64 page = row / PageSize;
    if (!m_pages.contains(page))
        m_pages.insert(page, new QList<QSqlRecord>(m_patients.page(page * PageSize, PageSize)));
    const QList<QSqlRecord> *rows = m_pages.object(page);
    const int inPage = row % PageSize;
    return inPage < rows->size() ? &rows->at(inPage) : nullptr;
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
