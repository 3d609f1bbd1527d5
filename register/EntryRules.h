#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

namespace Tabrix {

class Cursor;

// Short forms typed into a date box: T (today), T+n / T-n (days from today),
// mmddyyyy without slashes, m/d (this year), two-digit years. Anything that cannot
// be read comes back as typed (or, for "T-" and no number, upper-cased and trimmed).
QString NormalizeDate(const QString &typed, const QDate &today);
// Short forms typed into a time box: +n / -n minutes from now, as "hhmm".
// Anything else comes back exactly as typed.
QString NormalizeTime(const QString &typed, const QTime &now);
// A stored "hhmm": hour 0-23 in the first two characters, minutes 0-59 in the next two.
std::optional<QTime> HHMMToTime(const QString &stored);

// The first check a patient record fails before it may be saved: the message
// shown and the column whose box takes the focus.
struct CheckFailure {
    QString message;
    QString column;
    bool operator==(const CheckFailure &) const = default;
};
std::optional<CheckFailure> CheckRecord(const Cursor &patients, const QDateTime &now);

} // namespace Tabrix
