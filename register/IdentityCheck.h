#pragma once
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <optional>

namespace Tabrix {

class Cursor;

// A registration that names a patient the register already holds otherwise: the
// same patient id with another last name, first name or date of birth, or the same
// last name, first name and date of birth with another patient id.
struct IdentityConflict {
    QString question; // "Patient ID MRN100234 is registered as DOE, JANE, born 03/14/1985 (X12345). …"
    QString column;   // the first field of the record that differs from what is held
};

// Asks the register (through its indexes, two lookups) whether the patient
// cursor's record conflicts with another registration. `stored`: the record as the
// register holds it (empty for a new one); a saved record is asked about only when
// the patient it names changed. Raises EDatabaseError.
std::optional<IdentityConflict> FindIdentityConflict(const QSqlDatabase &db, const Cursor &patients,
                                                     const QSqlRecord &stored);

} // namespace Tabrix
