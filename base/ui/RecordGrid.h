#pragma once
#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace Tabrix {

// A read-only grid of a record table's rows (the label history, the record history):
// whole rows selected, widths from the rows on screen only, however long the table.
QTableView *NewRecordGrid(QWidget *parent, const QString &objectName, QAbstractItemModel *model);

} // namespace Tabrix
