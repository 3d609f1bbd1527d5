#pragma once
#include <QString>
#include <QStringList>

namespace Tabrix {

// A station whose files are shared by a group (the package's "tabrix") refuses to
// start for a user outside it, before anything is typed that could not be saved:
// the text naming the first such file and its group, or an empty text. A file that
// no group may write is left to the program's usual errors.
QString GroupWriteRefusal(const QStringList &files);

} // namespace Tabrix
