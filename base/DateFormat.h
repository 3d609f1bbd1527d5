#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace Tabrix {

// Formats a date and time by a format of specifiers: d dd ddd dddd ddddd dddddd,
// m mm mmm mmmm (m and mm are minutes right after an h), y yy yyyy, h hh (on a
// 12-hour clock when am/pm, a/p or ampm follows), n nn, s ss, z zzz, t tt, c,
// am/pm, a/p, ampm, aaa aaaa, e g, "/" and ":"; quoted text is copied without its
// quotes; anything else is copied. Names and formats come from `locale`; the
// separators are always "/" and ":".
QString FormatDateTime(const QString &format, const QDateTime &value, const QLocale &locale);

// The locale's short date and long time as patterns for QLocale::toString, with
// "/" and ":" as separators (the "c" form is the one, then a blank and the other).
QString ShortDatePattern(const QLocale &locale);
QString LongTimePattern(const QLocale &locale);

// The age on `today` of someone born on `birth`: whole years ("56Y"); under a
// year, months ("5M") or, under a month, days ("12D").
QString AgeText(const QDate &birth, const QDate &today);

} // namespace Tabrix
