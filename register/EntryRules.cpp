#include "register/EntryRules.h"
#include "base/IntText.h"
#include "register/Cursor.h"
#include "register/DateText.h"

namespace Tabrix {

namespace {

QString dateText(const QDate &d)
{
    return d.toString(QStringLiteral("MM/dd/yyyy"));
}

// "/" before the third character, then before the sixth of the result; at the end
// where the text is too short.
QString insertSlashes(QString t)
{
    for (int at : {2, 5})
        t.insert(std::min<qsizetype>(at, t.size()), u'/');
    return t;
}

} // namespace

QString NormalizeDate(const QString &typed, const QDate &today)
{
    const QString u = TrimBlanks(typed).toString().toUpper();
    if (u.isEmpty())
        return QString();
    if (u == u"T")
        return dateText(today);
    if (u.startsWith(u'T')) {
        if (u.size() == 2)
            return u;
        const auto days = ReadIntText(QStringView(u).mid(2));
        if (u[1] == u'+')
            return days && today.addDays(*days).isValid() ? dateText(today.addDays(*days)) : typed;
        if (u[1] == u'-')
            return days && today.addDays(-qint64(*days)).isValid() ? dateText(today.addDays(-qint64(*days))) : u;
        return typed;
    }

    const QString t = u.contains(u'/') ? u : insertSlashes(u);
    const QStringList parts = t.split(u'/');
    const auto month = ReadIntText(parts.value(0));
    const auto day = parts.size() > 1 ? ReadIntText(parts[1]) : std::nullopt;
    if (!month || !day)
        return typed;
    int year = today.year();
    if (parts.size() > 2 && !parts[2].isEmpty()) {
        const auto y = ReadIntText(parts[2]);
        if (!y)
            return typed;
        year = *y;
    }
    if (year < 100) {
        year += 2000;
        const QDate d(year, *month, *day);
        if (d.isValid() && d > today)
            year -= 100;
    }
    const QDate date(year, *month, *day);
    return date.isValid() ? dateText(date) : typed;
}

QString NormalizeTime(const QString &typed, const QTime &now)
{
    if (typed.isEmpty() || (typed[0] != u'+' && typed[0] != u'-'))
        return typed;
    const auto minutes = ReadIntText(QStringView(typed).mid(1));
    if (!minutes)
        return typed;
    const qint64 offset = (qint64(*minutes) * 60 % 86400) * (typed[0] == u'-' ? -1 : 1);
    return QTime(now.hour(), now.minute()).addSecs(int(offset)).toString(QStringLiteral("HHmm"));
}

std::optional<QTime> HHMMToTime(const QString &stored)
{
    const auto hour = ReadIntText(stored.mid(0, 2));
    const auto minute = ReadIntText(stored.mid(2, 2));
    if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59)
        return std::nullopt;
    return QTime(*hour, *minute);
}

std::optional<CheckFailure> CheckRecord(const Cursor &p, const QDateTime &now)
{
    const auto text = [&](const char *column) { return p.asString(QString::fromLatin1(column)); };
    const auto filled = [&](const char *column) { return !TrimBlanks(text(column)).isEmpty(); };
    const auto date = [&](const char *column) { return ReadDateText(text(column), now.date()); };
    const auto fail = [](const char *message, const char *column) {
        return CheckFailure{QString::fromLatin1(message), QString::fromLatin1(column)};
    };

    if (!filled("Last_Name"))
        return fail("Please provide a last name", "Last_Name");
    if (!filled("First_Name"))
        return fail("Please provide a first name", "First_Name");
    if (!filled("Patient_id"))
        return fail("Please provide a patient id", "Patient_id");
    const auto dob = date("DOB");
    if (!dob)
        return fail("DOB is not a valid date", "DOB");
    if (!filled("Location"))
        return fail("Please provide a location", "Location");
    const auto collectionDate = date("Collection_date");
    if (!collectionDate)
        return fail("Collection date is not a valid date", "Collection_date");
    const auto collectionTime = HHMMToTime(text("Collection_Time"));
    if (!collectionTime)
        return fail("Collection time is not a valid time", "Collection_Time");
    const auto receiveDate = date("Recieve_date");
    if (!receiveDate)
        return fail("Recieve date is not a valid date", "Recieve_date");
    const auto receiveTime = HHMMToTime(text("Recieve_Time"));
    if (!receiveTime)
        return fail("Recieve time is not a valid time", "Recieve_Time");
    if (*dob > now)
        return fail("DOB cannot be a future date", "DOB");
    const QDateTime received = receiveDate->addSecs(QTime(0, 0).secsTo(*receiveTime));
    if (received > now)
        return fail("Recieve date cannot be a future date", "Recieve_date");
    const QDateTime collected = collectionDate->addSecs(QTime(0, 0).secsTo(*collectionTime));
    if (!(collected < received))
        return fail("Collection date must be before the recieve date.", "Collection_date");
    return std::nullopt;
}

} // namespace Tabrix
