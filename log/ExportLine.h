#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

namespace Tabrix {

// A time pattern of the locale (h, hh, H, HH, m, mm, s, ss, AP, ap and literal
// text) worked out once, so that a time is written without parsing the pattern
// again. A pattern with anything else is written by QLocale, as the same text.
class TimeFormatter {
public:
    TimeFormatter(const QString &pattern, const QLocale &locale);
    // Appends the time's text in ISO-8859-1 ("?" for a character outside it).
    void append(QByteArray &out, const QTime &time) const;

private:
    struct Piece {
        char field; // 'h' (12-hour), 'H', 'm', 's', 'a' (am/pm), 0 for literal text
        int width = 1;
        bool upper = false;
        QByteArray text; // Latin-1
    };
    QList<Piece> m_pieces;
    bool m_fast = true;
    QString m_pattern;
    QLocale m_locale;
    QByteArray m_am[2], m_pm[2]; // Latin-1, lower case and upper case
};

// One line of the register export, built straight into ISO-8859-1 bytes: each
// column's value followed by "\" (Created written as a date and time), then the
// test codes as comma text and CR LF. Values come in the table's column order, as
// Qt reads them or as the database's own bytes.
class ExportLine {
public:
    ExportLine(int createdColumn, const QLocale &locale);

    // A column's value (in the table's column order) or a test code (in order).
    enum class Part { Column, TestCode };
    void addText(Part part, QStringView text);
    void addLatin1(Part part, QByteArrayView bytes); // a blob's bytes, as Latin-1 text
    // False, with nothing added, for bytes that are not valid UTF-8: the caller adds
    // the value as its database reads it instead.
    bool addUtf8(Part part, QByteArrayView bytes);

    // Appends the line with its test codes and CR LF to `out`, and starts the next.
    void end(QByteArray &out);

private:
    QByteArray &start(Part part);
    void finish(Part part);
    bool writeCreated(const QByteArray &stored);

    int m_created;
    int m_column = 0;
    QByteArray m_line, m_field;
    QList<QByteArray> m_codes;
    qsizetype m_codeCount = 0;
    QLocale m_locale;
    QString m_datePattern;
    QDate m_lastDate;
    QByteArray m_lastDateText;
    TimeFormatter m_time;
};

} // namespace Tabrix
