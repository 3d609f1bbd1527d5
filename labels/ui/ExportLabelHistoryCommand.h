#pragma once
#include <QSqlDatabase>
#include <QString>

class QWidget;

namespace Tabrix {

// File > Export Label History: asks for a CSV file (starting in `folder`) and writes
// the whole print ledger to it, with a progress window and Cancel for a long one.
void ExportLabelHistory1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder);

} // namespace Tabrix
