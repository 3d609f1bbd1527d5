#include "labels/Template.h"
#include "base/IntText.h"
#include "base/TextEncoding.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Tabrix {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

bool isWordStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}

bool isWordChar(QChar c)
{
    return isWordStart(c) || (c.unicode() >= '0' && c.unicode() <= '9');
}

// Reads the template text as tokens: a word, or any other single character.
struct TokenReader {
    const QString &s;
    qsizetype i = 0;

    bool atEnd() const { return i >= s.size(); }
    QStringView blanks()
    {
        const qsizetype start = i;
        while (i < s.size() && isBlank(s[i])) ++i;
        return QStringView(s).mid(start, i - start);
    }
    QStringView token()
    {
        const qsizetype start = i;
        if (i < s.size() && isWordStart(s[i])) {
            while (i < s.size() && isWordChar(s[i])) ++i;
        } else if (i < s.size()) {
            ++i;
        }
        return QStringView(s).mid(start, i - start);
    }
};

constexpr int ReadingWindow = 4096;

// Every line must fit the expansion's 4,096-byte reading window with its CR LF.
void checkLineLengths(const QString &text)
{
    qsizetype lineStart = 0;
    int line = 1;
    while (lineStart <= text.size()) {
        qsizetype end = text.indexOf(u'\n', lineStart);
        const bool last = end < 0;
        if (last)
            end = text.size();
        qsizetype length = end - lineStart;
        if (!last && length > 0 && text[end - 1] == u'\r')
            --length;
        if (length >= ReadingWindow - 2)
            throw EParserError(QStringLiteral("%1 on line %2").arg(QStringLiteral("Line too long")).arg(line));
        if (last)
            break;
        lineStart = end + 1;
        ++line;
    }
}

// "+" is a space, "%%" a percent sign, "%XX" the byte XX; then quotes go.
QString rewriteItem(const QString &item)
{
    if (std::none_of(item.begin(), item.end(), [](QChar c) { return c == u'+' || c == u'%' || c == u'"' || c == u'\''; }))
        return item;
    QString out;
    out.reserve(item.size());
    for (qsizetype i = 0; i < item.size(); ++i) {
        const QChar c = item[i];
        if (c == u'+') {
            out += u' ';
        } else if (c == u'%') {
            if (i + 1 < item.size() && item[i + 1] == u'%') {
                out += u'%';
                ++i;
            } else if (i + 2 < item.size() && HexDigitValue(item[i + 1].unicode()) >= 0
                       && HexDigitValue(item[i + 2].unicode()) >= 0) {
                out += QChar(HexDigitValue(item[i + 1].unicode()) * 16 + HexDigitValue(item[i + 2].unicode()));
                i += 2;
            } else {
                throw EConvertError(QStringLiteral("'$%1' is not a valid integer value").arg(item.mid(i + 1, 2)));
            }
        } else {
            out += c;
        }
    }
    out.remove(u'"');
    out.remove(u'\'');
    return out;
}

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

} // namespace

QString ValueOfName(const QStringList &items, const QString &name)
{
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq >= 0 && QStringView(item).left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return item.mid(eq + 1);
    }
    return QString();
}

QStringList LoadTemplateLines(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ETabrixError(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ETabrixError(file.errorString());
    // A NUL ends the text, so UTF-16 would print a letter or two: it is said instead.
    if (IsUtf16Text(bytes))
        throw ETemplateEncoding(QStringLiteral("The printer definition %1 is saved as UTF-16 text, which a label printer "
                                               "cannot take: nothing was printed from it. Open it in a text editor, "
                                               "save it as plain text (UTF-8 or ASCII), then print again.")
                                    .arg(QFileInfo(path).absoluteFilePath()));
    if (bytes.startsWith("\xEF\xBB\xBF")) // a UTF-8 byte-order mark is no part of the label
        bytes.remove(0, 3);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines << QString::fromLatin1(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << QString::fromLatin1(bytes.mid(start));
    return RemoveComments(lines);
}

QStringList RemoveComments(QStringList lines)
{
    for (QString &line : lines)
        if (const qsizetype c = line.indexOf(QLatin1String("//")); c >= 0)
            line.truncate(c);
    return lines;
}

QString TemplateText(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QByteArray LabelValueBytes(const QString &value, ValueBytes form)
{
    QString carried;
    carried.reserve(value.size());
    for (const QChar c : value)
        if (LabelCarries(c, form))
            carried += c;
    return form == ValueBytes::Utf8 ? carried.toUtf8() : carried.toLatin1();
}

QByteArray RenderLabel(const QStringList &templateLines, const TagHandler &handler, ValueBytes values)
{
    QByteArray bytes;
    QString own; // the template's text since the last value, decoded as one
    ExpandTemplate(TemplateText(templateLines), handler, [&](QStringView text, bool isValue) {
        if (!isValue) {
            own += text;
            return;
        }
        bytes += DecodeEscapes(own);
        own.clear();
        bytes += LabelValueBytes(text.toString(), values);
    });
    return bytes + DecodeEscapes(own);
}

QString ExpandTemplate(const QString &templateText, const TagHandler &handler)
{
    QString out;
    out.reserve(templateText.size());
    ExpandTemplate(templateText, handler, [&](QStringView text, bool) { out += text; });
    return out;
}

void ExpandTemplate(const QString &templateText, const TagHandler &handler, const PieceSink &piece)
{
    checkLineLengths(templateText);
    TokenReader r{templateText};
    while (!r.atEnd()) {
        // Text outside tags is copied as it stands, up to the next "<".
        const qsizetype lt = templateText.indexOf(u'<', r.i);
        const qsizetype plainEnd = lt < 0 ? templateText.size() : lt;
        piece(QStringView(templateText).mid(r.i, plainEnd - r.i), false);
        r.i = plainEnd;
        if (r.atEnd())
            break;
        r.token(); // the "<"
        r.blanks(); // not copied
        const QStringView next = r.token();
        if (next != u"#") {
            piece(u"<", false);
            piece(next, false);
            piece(r.blanks(), false);
            continue;
        }
        r.blanks();
        const QString name = r.token().toString();
        QString paramText;
        if (name != u">") {
            const qsizetype close = templateText.indexOf(u'>', r.i);
            const qsizetype end = close < 0 ? templateText.size() : close;
            paramText = templateText.mid(r.i, end - r.i);
            r.i = close < 0 ? end : close + 1;
            paramText = TrimBlanks(paramText, 1).toString(); // blanks at both ends go
        }
        piece(handler(name, SplitParams(paramText)), true); // never expanded again
        piece(r.blanks(), false);
    }
}

TagParams SplitParams(const QString &text)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isSeparator(text[i])) ++i;
        if (i >= n)
            break;
        QString item;
        if (text[i] == u'"') {
            // A quoted item: the quotes are not part of it; the next item may follow at once.
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            item = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
        } else {
            const qsizetype start = i;
            bool quotedEnd = false;
            while (i < n && !isSeparator(text[i])) {
                if (text[i] == u'"') {
                    // A quoted stretch inside the item ends it at its closing quote; the
                    // one character after that is taken as the separator.
                    const qsizetype close = text.indexOf(u'"', i + 1);
                    i = close < 0 ? n : close + 1;
                    quotedEnd = true;
                    break;
                }
                ++i;
            }
            item = text.mid(start, i - start);
            if (quotedEnd && i < n)
                ++i;
        }
        item = rewriteItem(item);
        if (!item.isEmpty())
            items << item;
    }
    return TagParams(items);
}

namespace {

// PrintableOnly into a text or into bytes (the decoding works on bytes).
template <class Out>
Out printableOnly(QStringView text)
{
    Out out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() <= 126)
            out += typename Out::value_type(c.unicode());
    return out;
}

// Dequote of a text or of bytes.
template <class Text>
Text dequote(const Text &text)
{
    using View = std::conditional_t<std::is_same_v<Text, QString>, QStringView, QByteArrayView>;
    const View trimmed = TrimBlanks(View(text));
    Text t = trimmed.size() == text.size() ? text : Text(trimmed.data(), trimmed.size()); // shared when untouched
    if (!t.isEmpty() && t.front() == '"' && t.back() == '"') {
        t = t.size() == 1 ? Text() : t.mid(1, t.size() - 2);
        t.replace("\"\"", "\"");
    }
    return t;
}

} // namespace

QString PrintableOnly(const QString &text)
{
    return printableOnly<QString>(text);
}

QString Dequote(const QString &text)
{
    return dequote(text);
}

namespace {

// The byte an escape's inner text stands for, or -1 when it stands for none.
int escapeByte(QByteArrayView raw)
{
    // Spaces off both ends, letters in upper case, then blanks and quotes off.
    QByteArray upper = raw.trimmed().toByteArray();
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    const QByteArray inner = dequote(upper);
    static const std::pair<QByteArrayView, int> keywords[] = {
        {"NULL", 0}, {"TAB", 9}, {"LF", 10}, {"FF", 12}, {"CR", 13}, {"ESC", 27},
        {"[", '['}, {"]", ']'}, {"<", '<'}, {">", '>'}};
    for (const auto &[word, byte] : keywords)
        if (QByteArrayView(inner) == word)
            return byte;
    if (const auto n = ReadIntText(QLatin1StringView(inner)))
        return *n & 0xFF;
    return -1;
}

} // namespace

QByteArray DecodeEscapes(const QString &text)
{
    // Only printable characters survive; they are all single bytes.
    const QByteArray s = printableOnly<QByteArray>(text);

    QByteArray out;
    out.reserve(s.size());
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = s.indexOf('[', pos);
        qsizetype close = open < 0 ? -1 : s.indexOf(']', open + 1);
        if (close < 0)
            break;
        if (QByteArrayView(s).sliced(open + 1).startsWith("\"]\"]"))
            close = open + 4;
        out.append(QByteArrayView(s).sliced(pos, open - pos));
        const int byte = escapeByte(QByteArrayView(s).sliced(open + 1, close - open - 1));
        if (byte >= 0)
            out += char(byte);
        else
            out.append(QByteArrayView(s).sliced(open, close - open + 1)); // printed as written
        pos = close + 1;
    }
    out.append(QByteArrayView(s).sliced(pos));
    return out;
}

namespace {

// The escape EncodeEscapes writes for a byte that has a name or marks up the
// template; empty for the others.
QLatin1StringView namedEscape(unsigned char b)
{
    switch (b) {
    case 0: return QLatin1StringView("[NULL]");
    case 9: return QLatin1StringView("[TAB]");
    case 10: return QLatin1StringView("[LF]");
    case 12: return QLatin1StringView("[FF]");
    case 13: return QLatin1StringView("[CR]");
    case 27: return QLatin1StringView("[ESC]");
    case '<': return QLatin1StringView("[\"<\"]");
    case '>': return QLatin1StringView("[\">\"]");
    case '[': return QLatin1StringView("[\"[\"]");
    case ']': return QLatin1StringView("[\"]\"]");
    default: return {};
    }
}

bool isPrintable(unsigned char b)
{
    return b >= 32 && b <= 126;
}

} // namespace

QString EncodeEscapes(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (const QLatin1StringView named = namedEscape(b); !named.isEmpty())
            out += named;
        else if (isPrintable(b))
            out += QChar(b);
        else
            out += u'[' + QString::number(b) + u']';
    }
    // Each line of the captured stream becomes a line of template text.
    out.replace(QLatin1String("[CR][LF]"), QLatin1String("[CR][LF]\r\n"));
    return out;
}

qsizetype EncodedLength(const QByteArray &bytes)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (const QLatin1StringView named = namedEscape(b); !named.isEmpty())
            length += named.size();
        else if (isPrintable(b))
            length += 1;
        else
            length += b < 10 ? 3 : b < 100 ? 4 : 5;
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            length += 2; // the line break written after "[CR][LF]"
    }
    return length;
}

} // namespace Tabrix
