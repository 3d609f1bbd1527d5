#include "base/DateFormat.h"

namespace Tabrix {

namespace {

// The locale's own pattern with "/" between date parts and ":" between time parts.
// Times print without a time zone: a label's times are the station's own.
QString withSeparators(const QString &pattern, bool date)
{
    QString out;
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && date && (c == u'.' || c == u'-' || c == u'/'))
            c = u'/';
        else if (!quoted && !date && (c == u'.' || c == u':'))
            c = u':';
        else if (!quoted && !date && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

QString shortDate(const QDate &d, const QLocale &l)
{
    return l.toString(d, ShortDatePattern(l));
}
QString longDate(const QDate &d, const QLocale &l)
{
    return l.toString(d, withSeparators(l.dateFormat(QLocale::LongFormat), true));
}
QString timeText(const QTime &t, const QLocale &l, QLocale::FormatType type)
{
    return l.toString(t, withSeparators(l.timeFormat(type), false));
}

QString number(int n, int digits)
{
    return digits > 1 ? QStringLiteral("%1").arg(n, digits, 10, QLatin1Char('0')) : QString::number(n);
}

// Does the text at i begin am/pm, a/p or ampm (without regard to case)?
qsizetype halfDayLength(const QString &f, qsizetype i)
{
    for (const char *form : {"am/pm", "a/p", "ampm"})
        if (QStringView(f).mid(i).startsWith(QLatin1String(form), Qt::CaseInsensitive))
            return qsizetype(qstrlen(form));
    return 0;
}

// An h is on the 12-hour clock when the first "a" after it (outside quotes, before
// any further h) begins am/pm, a/p or ampm.
bool twelveHourClock(const QString &f, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from; i < f.size(); ++i) {
        const QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c.toLower() == u'h') {
            return false;
        } else if (c.toLower() == u'a') {
            return halfDayLength(f, i) > 0;
        }
    }
    return false;
}

} // namespace

QString ShortDatePattern(const QLocale &locale)
{
    return withSeparators(locale.dateFormat(QLocale::ShortFormat), true);
}

QString LongTimePattern(const QLocale &locale)
{
    return withSeparators(locale.timeFormat(QLocale::LongFormat), false);
}

QString FormatDateTime(const QString &f, const QDateTime &value, const QLocale &locale)
{
    const QDate date = value.date();
    const QTime time = value.time();
    QString out;
    QChar lastLetter; // the specifier letter before, for m after h
    bool twelve = false;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f[i];
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < f.size() && f[i + run] == c)
            ++run; // the same letter in the same case

        if (c == u'"' || c == u'\'') {
            const qsizetype close = f.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? f.size() : close;
            out += QStringView(f).mid(i + 1, end - i - 1);
            i = close < 0 ? f.size() : close + 1;
            continue;
        }
        if (lower == u'a') {
            if (QStringView(f).mid(i).startsWith(u"am/pm", Qt::CaseInsensitive)) {
                out += QStringView(f).mid(time.hour() < 12 ? i : i + 3, 2);
                i += 5;
            } else if (QStringView(f).mid(i).startsWith(u"a/p", Qt::CaseInsensitive)) {
                out += f[time.hour() < 12 ? i : i + 2];
                i += 3;
            } else if (QStringView(f).mid(i).startsWith(u"ampm", Qt::CaseInsensitive)) {
                out += time.hour() < 12 ? locale.amText() : locale.pmText();
                i += 4;
            } else if (QStringView(f).mid(i).startsWith(u"aaaa", Qt::CaseInsensitive)) {
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
                i += 4;
            } else if (QStringView(f).mid(i).startsWith(u"aaa", Qt::CaseInsensitive)) {
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
                i += 3;
            } else {
                out += c;
                ++i;
            }
            continue;
        }

        i += run;
        switch (lower.unicode()) {
        case 'd':
            if (run <= 2) out += number(date.day(), int(run));
            else if (run == 3) out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else if (run == 4) out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else if (run == 5) out += shortDate(date, locale);
            else out += longDate(date, locale);
            break;
        case 'm':
            if (run <= 2 && lastLetter == u'h') out += number(time.minute(), int(run));
            else if (run <= 2) out += number(date.month(), int(run));
            else if (run == 3) out += locale.monthName(date.month(), QLocale::ShortFormat);
            else out += locale.monthName(date.month(), QLocale::LongFormat);
            break;
        case 'y':
            out += run <= 2 ? number(date.year() % 100, 2) : number(date.year(), 4);
            break;
        case 'e':
            out += run <= 2 ? number(date.year() % 100, int(run)) : number(date.year(), 4);
            break;
        case 'g':
            out += date.year() > 0 ? QStringLiteral("AD") : QStringLiteral("BC");
            break;
        case 'h': {
            twelve = twelveHourClock(f, i);
            int hour = time.hour();
            if (twelve) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            out += number(hour, run >= 2 ? 2 : 1);
            break;
        }
        case 'n':
            out += number(time.minute(), run >= 2 ? 2 : 1);
            break;
        case 's':
            out += number(time.second(), run >= 2 ? 2 : 1);
            break;
        case 'z':
            out += number(time.msec(), run >= 2 ? 3 : 1);
            break;
        case 't':
            out += timeText(time, locale, run == 1 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case 'c':
            out += shortDate(date, locale);
            if (time != QTime(0, 0))
                out += u' ' + locale.toString(time, LongTimePattern(locale));
            break;
        default:
            out += QString(run, c); // "/" and ":" are the separators "/" and ":" already
            continue;
        }
        lastLetter = lower;
    }
    return out;
}

QString AgeText(const QDate &birth, const QDate &today)
{
    const int Y = today.year(), M = today.month(), D = today.day();
    const int y = birth.year(), m = birth.month(), d = birth.day();
    const int years = Y - y - ((M < m || (M == m && D < d)) ? 1 : 0);
    if (years >= 1)
        return QStringLiteral("%1Y").arg(years);
    if (y == Y)
        return M - m > 0 ? QStringLiteral("%1M").arg(M - m) : QStringLiteral("%1D").arg(D - d);
    // Born last year, not yet one: the whole months lived, or the days under a month.
    const int months = (Y - y) * 12 + M - m - (D < d ? 1 : 0);
    if (months >= 1)
        return QStringLiteral("%1M").arg(months);
    return QStringLiteral("%1D").arg(birth.daysTo(today));
}

} // namespace Tabrix
