#include "register/DateText.h"
#include "base/Clock.h"

namespace Tabrix {

namespace {

struct Scanner {
    QStringView s;
    qsizetype i = 0;

    void skipBlanks()
    {
        while (i < s.size() && s[i] == u' ') ++i;
    }
    bool atEnd() const { return i >= s.size(); }
    bool take(QChar c)
    {
        if (i < s.size() && s[i] == c) { ++i; return true; }
        return false;
    }
    // Blanks, then up to nine digits; `digits` tells how many there were.
    std::optional<int> number(int *digits = nullptr)
    {
        skipBlanks();
        int n = 0, count = 0;
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
            if (++count > 9) return std::nullopt;
            n = n * 10 + (s[i].unicode() - '0');
            ++i;
        }
        if (count == 0) return std::nullopt;
        if (digits) *digits = count;
        return n;
    }
    bool takeWord(QStringView word)
    {
        if (s.mid(i).startsWith(word, Qt::CaseInsensitive)) { i += word.size(); return true; }
        return false;
    }
};

std::optional<QTime> scanTime(Scanner &sc)
{
    const auto hour = sc.number();
    if (!hour || !sc.take(u':')) return std::nullopt;
    const auto minute = sc.number();
    if (!minute) return std::nullopt;
    int second = 0, msec = 0;
    if (sc.take(u':')) {
        const auto s = sc.number();
        if (!s) return std::nullopt;
        second = *s;
        if (sc.take(u'.')) {
            const auto z = sc.number();
            if (!z) return std::nullopt;
            msec = *z;
        }
    }
    int h = *hour;
    sc.skipBlanks();
    const bool pm = sc.takeWord(u"PM") || sc.takeWord(u"P");
    const bool am = !pm && (sc.takeWord(u"AM") || sc.takeWord(u"A"));
    if (am || pm) {
        if (h < 1 || h > 12) return std::nullopt;
        h = (h % 12) + (pm ? 12 : 0);
    }
    if (h > 23 || *minute > 59 || second > 59 || msec > 999) return std::nullopt;
    return QTime(h, *minute, second, msec);
}

} // namespace

std::optional<QDateTime> ReadDateText(QStringView text, QDate today)
{
    Scanner sc{text};
    const auto month = sc.number();
    if (!month || !sc.take(u'/')) return std::nullopt;
    const auto day = sc.number();
    if (!day) return std::nullopt;

    int year = today.year();
    if (sc.take(u'/')) {
        int digits = 0;
        const auto y = sc.number(&digits);
        if (!y || digits > 4) return std::nullopt;
        year = *y;
        if (digits <= 2) {
            const int base = today.year() - 50;
            year = base - base % 100 + *y;
            if (year < base) year += 100;
        }
    }
    const QDate date(year, *month, *day);
    if (!date.isValid()) return std::nullopt;

    sc.skipBlanks();
    QTime time(0, 0);
    if (!sc.atEnd()) {
        const auto t = scanTime(sc);
        if (!t) return std::nullopt;
        time = *t;
        sc.skipBlanks();
        if (!sc.atEnd()) return std::nullopt;
    }
    return QDateTime(date, time);
}

QString StoredText(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toString(Qt::ISODate);
    return value.toString();
}

std::optional<QDateTime> StoredDateTime(const QVariant &value, bool dateTimeColumn)
{
    if (value.metaType().id() == QMetaType::QDateTime || value.metaType().id() == QMetaType::QDate)
        return value.toDateTime();
    const QString text = value.toString();
    if (dateTimeColumn) {
        const QDateTime stored = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (stored.isValid())
            return stored;
    }
    return ReadDateText(text, Clock::today());
}

} // namespace Tabrix
