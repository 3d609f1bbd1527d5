#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Tabrix {

// One change of the register as its audit row records it.
struct AuditEntry {
    QString action;   // one of AuditAction
    QVariant orderId; // the registration (none for Reset Accns)
    QString accnStr;
    QString details;  // "Column: value" lines; a change's "Column: old -> new"
};

namespace AuditAction {
inline const QString New = QStringLiteral("new");
inline const QString Change = QStringLiteral("change");
inline const QString Delete = QStringLiteral("delete");
inline const QString TestAdded = QStringLiteral("test added");
inline const QString TestRemoved = QStringLiteral("test removed");
inline const QString Reset = QStringLiteral("reset");
} // namespace AuditAction

// The register's audit trail (table audit_log): a row for every change, written
// in the change's own transaction, with the time, the station, the operating-system
// user and the program's version. Each station's rows make a chain: each carries
// its place in it (Seq), the SHA-256 of the row before it (Previous) and of its own
// content and Previous (Digest); audit_head keeps each chain's last place and digest,
// so a row changed or removed, the last one included, is found by VerifyAuditTrail.
// Stations never wait for each other's chain.

// Writes the row of `entry` for `station`, inside the caller's transaction.
// Raises EDatabaseError.
void WriteAuditRow(const QSqlDatabase &db, const QString &station, const AuditEntry &entry);

// What is wrong with the trail, one line for each row changed or missing ("row 17
// (station ER, 5th of its chain) was changed after it was written"); empty when
// every chain is whole. Raises EDatabaseError.
QStringList VerifyAuditTrail(const QSqlDatabase &db);

} // namespace Tabrix
