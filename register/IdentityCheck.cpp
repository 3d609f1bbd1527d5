#include "register/IdentityCheck.h"
#include "register/Cursor.h"
#include "register/RegisterStatement.h"

namespace Tabrix {

namespace {

struct Identity {
    QString id, last, first, dob;
    QString name() const { return QStringLiteral("%1, %2").arg(last, first); }
};

} // namespace

std::optional<IdentityConflict> FindIdentityConflict(const QSqlDatabase &db, const Cursor &patients,
                                                     const QSqlRecord &stored)
{
    const Identity now{patients.asString(QStringLiteral("Patient_id")), patients.asString(QStringLiteral("Last_Name")),
                       patients.asString(QStringLiteral("First_Name")), patients.asString(QStringLiteral("DOB"))};
    // A record not saved yet has no key: every row is another registration.
    const QVariant self = stored.isEmpty() ? QVariant(-1) : patients.key();
    if (!stored.isEmpty() && stored.value(QStringLiteral("Patient_id")).toString() == now.id
        && stored.value(QStringLiteral("Last_Name")).toString() == now.last
        && stored.value(QStringLiteral("First_Name")).toString() == now.first
        && stored.value(QStringLiteral("DOB")).toString() == now.dob)
        return std::nullopt;
    const QString ending = QStringLiteral(" Save it anyway?");

    QSqlQuery sameId = ExecRegister(db,
                                    QStringLiteral("SELECT AccnStr, Last_Name, First_Name, DOB FROM patients "
                                                   "WHERE Patient_id = ? AND Order_id <> ? "
                                                   "AND (Last_Name <> ? OR First_Name <> ? OR DOB <> ?) "
                                                   "ORDER BY AccnNum LIMIT 1"),
                                    {NonNullText(now.id), self, NonNullText(now.last), NonNullText(now.first), NonNullText(now.dob)});
    if (sameId.next()) {
        const Identity held{now.id, sameId.value(1).toString(), sameId.value(2).toString(), sameId.value(3).toString()};
        const QString column = held.last != now.last    ? QStringLiteral("Last_Name")
                               : held.first != now.first ? QStringLiteral("First_Name")
                                                         : QStringLiteral("DOB");
        const QString names = now.name() + (held.dob != now.dob ? QStringLiteral(", born ") + now.dob : QString());
        return IdentityConflict{QStringLiteral("Patient ID %1 is registered as %2, born %3 (%4). %5")
                                    .arg(now.id, held.name(), held.dob, sameId.value(0).toString(),
                                         QStringLiteral("This registration names %1.").arg(names)) + ending,
                                column};
    }
    QSqlQuery sameName = ExecRegister(db,
                                      QStringLiteral("SELECT AccnStr, Patient_id FROM patients "
                                                     "WHERE Last_Name = ? AND First_Name = ? AND DOB = ? "
                                                     "AND Patient_id <> ? AND Order_id <> ? ORDER BY AccnNum LIMIT 1"),
                                      {NonNullText(now.last), NonNullText(now.first), NonNullText(now.dob),
                                       NonNullText(now.id), self});
    if (sameName.next())
        return IdentityConflict{QStringLiteral("%1, born %2, is registered with Patient ID %3 (%4). This registration "
                                               "names Patient ID %5.")
                                        .arg(now.name(), now.dob, sameName.value(1).toString(), sameName.value(0).toString(),
                                             now.id) + ending,
                                QStringLiteral("Patient_id")};
    return std::nullopt;
}

} // namespace Tabrix
