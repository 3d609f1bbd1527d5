#include "lis/LocalMoment.h"

#include <QDateTime>
#include <QHash>
#include <cstdlib>

namespace Tabrix {

namespace {

constexpr qsizetype CacheLimit = 4096; // minutes kept before the cache starts again

void append(QString &out, int value, int width)
{
    QChar digits[10];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = QChar(u'0' + value % 10);
    out.append(digits, width);
}

QString dateAndTime(const LocalMoment &m, bool fhir)
{
    QString out;
    out.reserve(26);
    append(out, m.date.year(), 4);
    if (fhir) out += u'-';
    append(out, m.date.month(), 2);
    if (fhir) out += u'-';
    append(out, m.date.day(), 2);
    if (fhir) out += u'T';
    append(out, m.time.hour(), 2);
    if (fhir) out += u':';
    append(out, m.time.minute(), 2);
    if (fhir) {
        out += u':';
        append(out, m.time.second(), 2);
    }
    const int offset = m.utcOffset() / 60;
    out += offset < 0 ? u'-' : u'+';
    append(out, std::abs(offset) / 60, 2);
    if (fhir) out += u':';
    append(out, std::abs(offset) % 60, 2);
    return out;
}

} // namespace

int LocalMoment::utcOffset() const
{
    thread_local QHash<qint64, int> offsets;
    const qint64 minute = date.toJulianDay() * 1440 + time.hour() * 60 + time.minute();
    if (const auto known = offsets.constFind(minute); known != offsets.constEnd())
        return *known;
    if (offsets.size() >= CacheLimit)
        offsets.clear();
    const int offset = QDateTime(date, time).offsetFromUtc();
    offsets.insert(minute, offset);
    return offset;
}

QString LocalMoment::hl7Minute() const { return dateAndTime(*this, false); }
QString LocalMoment::fhirDateTime() const { return dateAndTime(*this, true); }

} // namespace Tabrix
