#pragma once
#include <QAbstractTableModel>
#include <QCache>
#include <QSqlRecord>

namespace Tabrix {

class Cursor;

// The patient log's rows: the patient cursor's table in the cursor's order, read a
// page at a time as rows come into view, so the register's size does not matter:
// each page is read by the order's index from the nearest row already known (a page
// read before, the current record, or either end), never counted from the start.
class PatientLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;
    explicit PatientLogModel(Cursor &patients, QObject *parent = nullptr);

    // Forgets every page read (after a new order or on opening); the count is the
    // cursor's kept one.
    void reload();
    // The row of the cursor's current record, found from its key; its page is read
    // from it.
    int currentRow() const;
    QVariant keyAt(int row) const;
    // The key of the first row, in the order, whose first sort field starts with
    // `typed` or, when none does, of the first row after where it would stand (for
    // accession order: the first number not below the one typed); null when none.
    // One indexed lookup.
    QVariant keyOfTyped(const QString &typed) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The columns, left to right, and their titles.
    static const QStringList Columns;
    static const QStringList Titles;

private:
    const QSqlRecord *record(int row) const;
    const QList<QSqlRecord> &pageAt(qint64 page) const;
    Cursor &m_patients;
    qint64 m_count = 0;
    mutable QCache<qint64, QList<QSqlRecord>> m_pages{64};
    mutable qint64 m_currentIndex = -1; // the current record's row, once asked for
    mutable QSqlRecord m_current;
};

} // namespace Tabrix
