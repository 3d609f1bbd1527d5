#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

namespace Tabrix {

// Finds registrations by what a clerk types: an accession number in either form
// (X12345 or 100012345), a patient id, or the start of a name as the log shows it
// ("DOE, J": last name DOE and a first name starting with J; "DO": last names
// starting with DO). Matches come in that order: the accession number, then the
// patient id's registrations by accession number, then the names in the log's
// name order. Each step is one indexed lookup from the last match on.
class RegistrationFinder {
public:
    explicit RegistrationFinder(const QSqlDatabase &db) : m_db(db) {}

    // The key (Order_id) of the next registration that `text` matches, after the
    // last one given for the same text; from the first one for another text. None
    // when there is no further match: the next call starts again from the first.
    // Raises EDatabaseError.
    std::optional<QVariant> next(const QString &text);

private:
    enum class Kind { Accession, PatientId, Name, Done };
    std::optional<QVariant> nextOf(Kind kind);

    QSqlDatabase m_db;
    QString m_text; // as searched: trimmed, upper case
    Kind m_kind = Kind::Done;
    QVariantList m_after; // the last match of the kind, as its order's values
};

} // namespace Tabrix
