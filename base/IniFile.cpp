#include "base/IniFile.h"
#include "base/AtomicFile.h"
#include "base/IntText.h"
#include "base/TextEncoding.h"
#include "base/TabrixError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace Tabrix::IniFile {

namespace {

// The file's lines without their line ends, and each line's own end, so a write
// gives back every line it does not change byte for byte.
struct Lines {
    bool utf16 = false; // a file no line of which can be read, never to be rewritten
    QByteArray bom;     // a UTF-8 byte-order mark the file starts with, kept as it is
    QList<QByteArray> lines;
    QList<QByteArray> ends; // "\r\n", "\n", "\r", or "" for a last line without one
    QByteArray eol = "\n";  // for new lines: the file's own line end

    void insert(qsizetype i, const QByteArray &line)
    {
        if (i > 0 && ends[i - 1].isEmpty())
            ends[i - 1] = eol; // the last line gets its end when one follows
        lines.insert(i, line);
        ends.insert(i, eol);
    }
};

const QByteArray Utf8Bom = "\xEF\xBB\xBF";

Lines readLines(const QString &path)
{
    Lines result;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return result;
    QByteArray all = f.readAll();
    result.utf16 = IsUtf16Text(all);
    if (result.utf16)
        return result; // unreadable: every key takes its default (the program says so at start)
    if (all.startsWith(Utf8Bom)) {
        result.bom = Utf8Bom;
        all.remove(0, Utf8Bom.size());
    }
    // Lines end at CR LF, LF or a lone CR; new lines end as the file's do (CR LF when it has any).
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r')
            ++end;
        result.lines << all.mid(start, end - start);
        QByteArray lineEnd;
        if (end < all.size())
            lineEnd = all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n' ? "\r\n" : all.mid(end, 1);
        result.ends << lineEnd;
        start = end + lineEnd.size();
    }
    if (result.ends.contains("\r\n"))
        result.eol = "\r\n";
    else if (result.ends.contains("\r") && !result.ends.contains("\n"))
        result.eol = "\r";
    return result;
}

// The name of a section header line, or a null string when the line is none.
QString sectionOf(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return {};
    return QString::fromUtf8(t.mid(1, close - 1)).trimmed();
}

bool keyMatches(const QByteArray &line, const QString &key, QString *value = nullptr)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    if (QString::fromUtf8(line.left(eq)).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = QString::fromUtf8(line.mid(eq + 1)).trimmed();
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString EncodingFault(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !IsUtf16Text(f.read(8)))
        return QString();
    return QStringLiteral("Tabrix cannot read its settings file %1: it is saved as UTF-16 text. Open it in a text editor, "
                          "save it as UTF-8 (or plain ASCII) text, then start Tabrix again.")
        .arg(QFileInfo(path).absoluteFilePath());
}

QString ReadString(const QString &path, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    const Lines file = readLines(path);
    bool inSection = false;
    for (const QByteArray &line : file.lines) {
        const QString header = sectionOf(line);
        if (!header.isNull()) {
            inSection = sameName(header, section.trimmed());
            continue;
        }
        QString value;
        if (inSection && keyMatches(line, key.trimmed(), &value))
            return value.left(MaxValueLength);
    }
    return defaultValue.left(MaxValueLength);
}

qint32 ReadInteger(const QString &path, const QString &section, const QString &key,
                   qint32 defaultValue)
{
    return ReadIntText(ReadString(path, section, key, QString())).value_or(defaultValue);
}

bool ReadBool(const QString &path, const QString &section, const QString &key, bool defaultValue)
{
    return ReadInteger(path, section, key, defaultValue ? 1 : 0) != 0;
}

void WriteString(const QString &path, const QString &section, const QString &key,
                 const QString &value)
{
    Lines file = readLines(path);
    const QByteArray newLine = key.trimmed().toUtf8() + '=' + value.toUtf8();

    qsizetype sectionLine = -1, lastInSection = -1, keyLine = -1;
    for (qsizetype i = 0; i < file.lines.size() && keyLine < 0; ++i) {
        const QString header = sectionOf(file.lines[i]);
        if (!header.isNull()) {
            if (sectionLine >= 0)
                break; // the section has ended without the key
            if (sameName(header, section.trimmed()))
                sectionLine = lastInSection = i;
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (keyMatches(file.lines[i], key.trimmed()))
            keyLine = i;
        else if (!file.lines[i].trimmed().isEmpty())
            lastInSection = i;
    }

    if (keyLine >= 0) {
        file.lines[keyLine] = newLine;
    } else if (sectionLine >= 0) {
        file.insert(lastInSection + 1, newLine);
    } else {
        if (!file.lines.isEmpty() && !file.lines.back().trimmed().isEmpty())
            file.insert(file.lines.size(), QByteArray());
        file.insert(file.lines.size(), '[' + section.trimmed().toUtf8() + ']');
        file.insert(file.lines.size(), newLine);
    }

    QByteArray text = file.bom;
    for (qsizetype i = 0; i < file.lines.size(); ++i)
        text += file.lines[i] + file.ends[i];
    // A UTF-16 file is never rewritten as something else, and a few NULs too
    // short to tell (the start of such a file) never grow into one no read can take.
    if (file.utf16 || IsUtf16Text(text))
        throw ETabrixError(QStringLiteral("Unable to write to %1").arg(path));
    // A read-only file stays unwritten, even for a user whom the system would let through.
    if (!WriteFileAtomically(path, text).isEmpty())
        throw ETabrixError(QStringLiteral("Unable to write to %1").arg(path));
}

void WriteInteger(const QString &path, const QString &section, const QString &key, qint32 value)
{
    WriteString(path, section, key, QString::number(value));
}

void WriteBool(const QString &path, const QString &section, const QString &key, bool value)
{
    WriteString(path, section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace Tabrix::IniFile
