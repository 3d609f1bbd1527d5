#include "log/ExportLine.h"
#include "base/DateFormat.h"

#include <QTime>
#include <algorithm>

namespace Tabrix {

namespace {

void appendLatin1(QByteArray &out, QStringView text)
{
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *p = out.data() + at;
    for (QChar c : text)
        *p++ = c.unicode() < 256 ? char(c.unicode()) : '?';
}

// UTF-8 as the Latin-1 bytes of its UTF-16 text: a character outside Latin-1 is
// "?", one outside the Basic Multilingual Plane "??" (two UTF-16 units). False, with
// nothing appended, for bytes that are not valid UTF-8.
bool appendUtf8AsLatin1(QByteArray &out, QByteArrayView in)
{
    const qsizetype start = out.size();
    const auto *p = reinterpret_cast<const uchar *>(in.data());
    const qsizetype n = in.size();
    // The code point of the sequence of `length` bytes at i, or -1 when it is not one.
    const auto sequence = [&](qsizetype i, int length, uint lead) -> qint64 {
        uint cp = lead;
        for (int k = 1; k < length; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return -1;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        return cp;
    };
    qsizetype ascii = 0;
    while (ascii < n && p[ascii] < 0x80)
        ++ascii;
    out.append(in.first(ascii)); // most texts end here
    for (qsizetype i = ascii; i < n;) {
        const uchar c = p[i];
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        const qint64 cp = length ? sequence(i, length, c & (0x7F >> length)) : -1;
        const bool valid = (length == 2 && cp >= 0x80) || (length == 3 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ||
                           (length == 4 && cp >= 0x10000 && cp <= 0x10FFFF);
        if (!valid) {
            out.truncate(start);
            return false;
        }
        if (length == 2)
            out += cp < 256 ? char(cp) : '?';
        else
            out += length == 3 ? QByteArrayView("?") : QByteArrayView("??");
        i += length;
    }
    return true;
}

int digits(const char *p, int count)
{
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// The quoted text of a pattern from the quote at `i`, as QLocale reads it ("''" is
// a quote); `i` moves past it.
QString quotedText(const QString &f, qsizetype &i)
{
    ++i;
    if (i == f.size())
        return QString();
    if (f[i] == u'\'') {
        ++i;
        return QStringLiteral("'");
    }
    QString text;
    while (i < f.size()) {
        if (f[i] != u'\'') {
            text += f[i++];
        } else if (i + 1 < f.size() && f[i + 1] == u'\'') {
            text += u'\'';
            i += 2;
        } else {
            break;
        }
    }
    if (i < f.size())
        ++i;
    return text;
}

} // namespace

TimeFormatter::TimeFormatter(const QString &pattern, const QLocale &locale)
    : m_pattern(pattern), m_locale(locale)
{
    for (QByteArray *text : {&m_am[0], &m_am[1], &m_pm[0], &m_pm[1]}) {
        const QString word = text == &m_am[0] || text == &m_am[1] ? locale.amText() : locale.pmText();
        appendLatin1(*text, text == &m_am[1] || text == &m_pm[1] ? word.toUpper() : word.toLower());
    }
    m_fast = locale.zeroDigit() == QLatin1String("0");
    bool twelve = false;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern[i] == u'\'') {
            m_pieces.append({0, 1, false, {}});
            appendLatin1(m_pieces.last().text, quotedText(pattern, i));
            continue;
        }
        const QChar c = pattern[i];
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        switch (c.unicode()) {
        case 'h':
        case 'H':
        case 'm':
        case 's':
            run = std::min<qsizetype>(run, 2);
            m_pieces.append({char(c.unicode()), int(run), false, {}});
            break;
        case 'a':
        case 'A': {
            twelve = true;
            const bool withP = i + 1 < pattern.size() && pattern[i + 1].toLower() == u'p';
            run = withP ? 2 : 1;
            // "A" and "AP" are upper case, "a" and "ap" lower; "Ap" and "aP" as the locale has it.
            if (withP && (pattern[i + 1] == u'P') != (c == u'A'))
                m_fast = false;
            m_pieces.append({'a', 1, c == u'A', {}});
            break;
        }
        case 'z':
        case 't':
            m_fast = false;
            break;
        default:
            m_pieces.append({0, 1, false, {}});
            appendLatin1(m_pieces.last().text, QString(run, c));
        }
        i += run;
    }
    if (!twelve)
        for (Piece &p : m_pieces)
            if (p.field == 'h')
                p.field = 'H'; // h without am/pm is the 24-hour clock
}

void TimeFormatter::append(QByteArray &out, const QTime &time) const
{
    if (!m_fast) {
        appendLatin1(out, m_locale.toString(time, m_pattern));
        return;
    }
    const auto number = [&](int v, int width) {
        if (width == 2 || v >= 10)
            out += char('0' + v / 10);
        out += char('0' + v % 10);
    };
    for (const Piece &p : m_pieces) {
        switch (p.field) {
        case 'h': {
            const int hour = time.hour() % 12;
            number(hour == 0 ? 12 : hour, p.width);
            break;
        }
        case 'H':
            number(time.hour(), p.width);
            break;
        case 'm':
            number(time.minute(), p.width);
            break;
        case 's':
            number(time.second(), p.width);
            break;
        case 'a':
            out += (time.hour() < 12 ? m_am : m_pm)[p.upper];
            break;
        default:
            out += p.text;
        }
    }
}

ExportLine::ExportLine(int createdColumn, const QLocale &locale)
    : m_created(createdColumn), m_locale(locale), m_datePattern(ShortDatePattern(locale)),
      m_time(LongTimePattern(locale), locale)
{
}

// The bytes a part is written into: the line itself for a column (Created first
// on its own, to be read as a date), else the next test code's.
QByteArray &ExportLine::start(Part part)
{
    if (part == Part::Column) {
        if (m_column != m_created)
            return m_line;
        m_field.resize(0);
        return m_field;
    }
    if (m_codeCount == m_codes.size())
        m_codes.append(QByteArray());
    QByteArray &code = m_codes[m_codeCount++];
    code.resize(0);
    return code;
}

void ExportLine::finish(Part part)
{
    if (part == Part::TestCode)
        return;
    if (m_column++ == m_created && !writeCreated(m_field))
        m_line += m_field;
    m_line += '\\';
}

void ExportLine::addText(Part part, QStringView text)
{
    appendLatin1(start(part), text);
    finish(part);
}

void ExportLine::addLatin1(Part part, QByteArrayView bytes)
{
    start(part).append(bytes);
    finish(part);
}

bool ExportLine::addUtf8(Part part, QByteArrayView bytes)
{
    if (!appendUtf8AsLatin1(start(part), bytes)) {
        if (part == Part::TestCode)
            --m_codeCount;
        return false;
    }
    finish(part);
    return true;
}

// Created as stored ("yyyy-MM-ddTHH:mm:ss.zzz"): the short date, and unless it is
// midnight the long time; false for a text that is not a date and time.
bool ExportLine::writeCreated(const QByteArray &stored)
{
    QDate date;
    QTime time(0, 0);
    const char *p = stored.constData();
    if (stored.size() == 23 && p[4] == '-' && p[7] == '-' && p[13] == ':' && p[16] == ':' && p[19] == '.') {
        const int h = digits(p + 11, 2), m = digits(p + 14, 2), s = digits(p + 17, 2), ms = digits(p + 20, 3);
        date = QDate(digits(p, 4), digits(p + 5, 2), digits(p + 8, 2));
        if (h < 0 || h > 23 || m < 0 || s < 0 || ms < 0 || !time.setHMS(h, m, s, ms))
            return false;
    } else {
        // Any other form, read as ISO 8601 as before.
        const QString text = QString::fromLatin1(stored);
        date = QDate::fromString(text.left(10), Qt::ISODate);
        if (text.size() > 11)
            time = QTime::fromString(text.mid(11), Qt::ISODateWithMs);
    }
    if (!date.isValid() || !time.isValid())
        return false;
    if (date != m_lastDate) { // the rows come in accession order: a date holds for many
        m_lastDate = date;
        m_lastDateText.resize(0);
        appendLatin1(m_lastDateText, m_locale.toString(date, m_datePattern));
    }
    m_line += m_lastDateText;
    if (time != QTime(0, 0)) {
        m_line += ' ';
        m_time.append(m_line, time);
    }
    return true;
}

// The test codes as comma text: a code holding a blank, a control character, a
// quote or a comma is quoted, its quotes doubled; one empty code is "".
void ExportLine::end(QByteArray &out)
{
    out += m_line;
    const bool oneEmpty = m_codeCount == 1 && m_codes[0].isEmpty();
    if (oneEmpty)
        out += "\"\"";
    for (qsizetype i = oneEmpty ? 1 : 0; i < m_codeCount; ++i) {
        const QByteArray &code = m_codes[i];
        if (i)
            out += ',';
        const bool quote = std::any_of(code.begin(), code.end(),
                                       [](char c) { return uchar(c) <= 32 || c == '"' || c == ','; });
        if (!quote) {
            out += code;
            continue;
        }
        out += '"';
        for (char c : code)
            out += c == '"' ? QByteArrayView("\"\"") : QByteArrayView(&c, 1);
        out += '"';
    }
    out += "\r\n";
    m_line.resize(0);
    m_column = 0;
    m_codeCount = 0;
}

} // namespace Tabrix
