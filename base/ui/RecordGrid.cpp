#include "base/ui/RecordGrid.h"

#include <QHeaderView>
#include <QTableView>

namespace Tabrix {

QTableView *NewRecordGrid(QWidget *parent, const QString &objectName, QAbstractItemModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(objectName);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setResizeContentsPrecision(0); // the rows on screen only
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setMinimumSize(900, 320);
    return grid;
}

} // namespace Tabrix
