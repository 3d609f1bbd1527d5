#pragma once
#include <QDateTime>
#include <QStringView>
#include <QVariant>
#include <optional>

namespace Tabrix {

// Reads a text as a date: month "/" day, optionally "/" and a year of one to four
// digits, optionally followed by a time of day; blanks may stand before the numbers.
// A one- or two-digit year is the year ending in those digits that lies from 50
// years before to 49 years after `today`'s year; no year means `today`'s year.
// The value is that day at midnight plus the time of day when one follows.
std::optional<QDateTime> ReadDateText(QStringView text, QDate today);

// A stored value as text: a date and time as its ISO text, anything else as it reads.
QString StoredText(const QVariant &value);
// A stored value read as a date and time: a date-and-time column's own value (or
// its stored ISO text), else its text by the date text rule, with today's year.
// None when the text is no date.
std::optional<QDateTime> StoredDateTime(const QVariant &value, bool dateTimeColumn);

} // namespace Tabrix
