#include "lis/Hl7Message.h"

namespace Tabrix {

namespace {
const QString FieldSep = QStringLiteral("|");
const QString Delimiters = QStringLiteral("^~\\&");

bool isHeader(const QStringList &segment) { return segment.value(0) == QLatin1String("MSH"); }
// The place of field n in a segment's list: MSH-1 is the field separator itself,
// so MSH-2 is the first item after the id.
int placeOf(const QStringList &segment, int n) { return isHeader(segment) ? n - 1 : n; }
} // namespace

void Hl7Message::add(const QString &id, const QStringList &fields)
{
    QStringList segment{id};
    if (id == QLatin1String("MSH"))
        segment << Delimiters;
    segment << fields;
    m_segments << segment;
}

QList<int> Hl7Message::segmentsOf(const QString &id) const
{
    QList<int> found;
    for (int i = 0; i < m_segments.size(); ++i)
        if (m_segments[i].value(0) == id)
            found << i;
    return found;
}

QString Hl7Message::field(int segment, int n) const
{
    const QStringList &s = m_segments.at(segment);
    return s.value(placeOf(s, n));
}

void Hl7Message::setField(int segment, int n, const QString &value)
{
    QStringList &s = m_segments[segment];
    const int place = placeOf(s, n);
    while (s.size() <= place)
        s << QString();
    s[place] = value;
}

QString Hl7Message::text() const
{
    QString out;
    for (const QStringList &segment : m_segments) {
        out += segment.join(FieldSep);
        out += u'\r';
    }
    return out;
}

QByteArray Hl7Message::bytes() const { return text().toUtf8(); }

std::optional<Hl7Message> Hl7Message::parse(const QString &text)
{
    Hl7Message message;
    for (const QString &line : text.split(u'\r', Qt::SkipEmptyParts))
        message.m_segments << line.split(FieldSep);
    if (message.m_segments.isEmpty() || !isHeader(message.m_segments.first())
        || message.m_segments.first().value(1) != Delimiters)
        return std::nullopt;
    return message;
}

QString Hl7Escape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '|': out += QLatin1String("\\F\\"); break;
        case '^': out += QLatin1String("\\S\\"); break;
        case '~': out += QLatin1String("\\R\\"); break;
        case '\\': out += QLatin1String("\\E\\"); break;
        case '&': out += QLatin1String("\\T\\"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\X%1\\").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
            else
                out += c;
        }
    }
    return out;
}

QString Hl7Unescape(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text[i] == u'\\' ? text.indexOf(u'\\', i + 1) : -1;
        if (end < 0) {
            out += text[i];
            continue;
        }
        const QStringView code = QStringView(text).mid(i + 1, end - i - 1);
        if (code == u"F") out += u'|';
        else if (code == u"S") out += u'^';
        else if (code == u"R") out += u'~';
        else if (code == u"E") out += u'\\';
        else if (code == u"T") out += u'&';
        else if (code == u".br") out += u'\n';
        else if (code.startsWith(u'X') && code.size() == 3) out += QChar(code.mid(1).toUShort(nullptr, 16));
        else out += text.mid(i, end - i + 1);
        i = end;
    }
    return out;
}

QString Hl7Date(const QDate &date) { return date.toString(QStringLiteral("yyyyMMdd")); }

namespace {
QString offsetOf(const QDateTime &local)
{
    const int seconds = local.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2%3")
        .arg(QLatin1Char(seconds < 0 ? '-' : '+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

QString Hl7Second(const QDateTime &local) { return local.toString(QStringLiteral("yyyyMMddHHmmss")) + offsetOf(local); }

} // namespace Tabrix
