#pragma once
#include <QAbstractTableModel>
#include <QSqlRecord>

namespace Tabrix {

class Cursor;

// The test codes of the current patient, one column, for the test grid. It reads
// the test cursor's rows anew whenever that cursor changes.
class TestListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TestListModel(Cursor &tests, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The row showing the test cursor's current row, or -1.
    int currentRow() const;
    QVariant keyAt(int row) const;

signals:
    // The test cursor moved to another of the rows shown.
    void currentMoved();

private:
    void reload();
    Cursor &m_tests;
    QList<QSqlRecord> m_rows;
};

} // namespace Tabrix
