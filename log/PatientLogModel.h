#pragma once
#include <QAbstractTableModel>
#include <QCache>
#include <QSqlRecord>

namespace Tabrix {

class Cursor;

// The patient log's rows: the patient cursor's table in the cursor's order, read a
// page at a time as rows come into view, so the register's size does not matter.
class PatientLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;
    explicit PatientLogModel(Cursor &patients, QObject *parent = nullptr);

    // Counts the rows anew and forgets every page read (after a new order or on opening).
    void reload();
    // The row of the cursor's current record.
    int currentRow() const;
    QVariant keyAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The columns, left to right, and their titles.
    static const QStringList Columns;
    static const QStringList Titles;

private:
    const QSqlRecord *record(int row) const;
    Cursor &m_patients;
    qint64 m_count = 0;
    mutable QCache<qint64, QList<QSqlRecord>> m_pages{64};
};

} // namespace Tabrix
