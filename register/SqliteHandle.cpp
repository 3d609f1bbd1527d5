#include "register/SqliteHandle.h"

#include <QSqlDriver>
#include <QVariant>

namespace Tabrix {

sqlite3 *SqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.isValid() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace Tabrix
