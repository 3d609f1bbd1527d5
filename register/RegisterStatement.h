#pragma once
#include "base/TabrixError.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

// The one way into the register: running a statement, and the error it raises.
namespace Tabrix {

class EDatabaseError : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
    // The database's own words for a failed statement.
    explicit EDatabaseError(const class QSqlError &error);
    // The same, unless the register file itself is gone or cannot be written: then
    // that, in the user's words, naming the file.
    EDatabaseError(const QSqlDatabase &db, const class QSqlError &error);
    // The register refused a second row with a number it holds already.
    bool duplicate() const { return m_duplicate; }

private:
    bool m_duplicate = false;
};

// Prepares and runs a statement on the register with these values bound in turn.
// A connection to a register server that was lost (or closed by an earlier loss)
// is opened again once and the statement run again; when that fails too,
// EDatabaseError says that the server cannot be reached.
QSqlQuery ExecRegister(QSqlDatabase db, const QString &sql, const QVariantList &values = {});

// A text to bind to a column that holds no NULL: Qt binds a null text as NULL.
inline QString NonNullText(const QString &value) { return value.isNull() ? QStringLiteral("") : value; }

// Whether the register has this table (a register made by an older set-up tool may lack it).
bool HasTable(const QSqlDatabase &db, const QString &name);

// Runs an INSERT and gives the new row's key (the column `keyColumn`), known only
// once the row is committed: a write that the register could not finish (a full
// disk, say) raises EDatabaseError rather than giving a key.
QVariant InsertReturningKey(QSqlDatabase db, const QString &insert, const QVariantList &values,
                            const QString &keyColumn);

// Statements run between its start and commit() take effect together or not at
// all: a transaction that is not committed is rolled back when it ends. On SQLite
// it takes the register's write lock at once (waiting for other stations as any
// write does), so it never fails halfway for a lock.
class RegisterTransaction {
public:
    explicit RegisterTransaction(QSqlDatabase db);
    ~RegisterTransaction();
    RegisterTransaction(const RegisterTransaction &) = delete;
    RegisterTransaction &operator=(const RegisterTransaction &) = delete;
    // Raises EDatabaseError when the register could not keep the changes.
    void commit();

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

} // namespace Tabrix
