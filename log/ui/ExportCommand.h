#pragma once
#include <QSqlDatabase>
#include <QString>

class QWidget;

namespace Tabrix {

class RecordLifecycle;

// File > Export: saves the record first, asks for a text file (starting in
// `folder`) and writes the whole register to it, one line per patient, with a
// progress window and Cancel for a long one. The file written, or empty when none was.
QString Export1Click(QWidget *parent, RecordLifecycle &lifecycle, const QSqlDatabase &db, const QString &folder);

} // namespace Tabrix
