#include "register/TestListModel.h"
#include "register/Cursor.h"

namespace Tabrix {

TestListModel::TestListModel(Cursor &tests, QObject *parent)
    : QAbstractTableModel(parent), m_tests(tests)
{
    connect(&tests, &Cursor::stateChange, this, [this](Cursor::Event e) {
        if (e == Cursor::Event::Scroll)
            emit currentMoved();
        else if (e != Cursor::Event::Edit && e != Cursor::Event::Insert)
            reload();
    });
}

void TestListModel::reload()
{
    beginResetModel();
    m_rows = m_tests.rows();
    endResetModel();
}

int TestListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int TestListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant TestListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    return m_rows[index.row()].value(QStringLiteral("TestCode"));
}

QVariant TestListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("Test Codes");
    return {};
}

int TestListModel::currentRow() const
{
    const QVariant key = m_tests.active() ? m_tests.key() : QVariant();
    for (int i = 0; i < m_rows.size(); ++i)
        if (!key.isNull() && m_rows[i].value(QStringLiteral("Test_id")) == key)
            return i;
    return -1;
}

QVariant TestListModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].value(QStringLiteral("Test_id")) : QVariant();
}

} // namespace Tabrix
