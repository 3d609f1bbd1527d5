#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Tabrix {

// An HL7 v2 message as segments of fields, always with the standard delimiters
// |^~\& (so a value's own text never needs to be read back from a message of
// another's). Fields are held encoded, components joined by ^: a value goes in
// through Hl7Escape, so a name holding |^~\& stays one value.
class Hl7Message {
public:
    // A new segment `id` with its fields from field 1 on (for MSH: from MSH-3,
    // MSH-1 and MSH-2 being the delimiters themselves).
    void add(const QString &id, const QStringList &fields);
    // The segments whose id is `id`, as their places in the message.
    QList<int> segmentsOf(const QString &id) const;
    // Field `n` (1-based, as HL7 numbers them) of segment `segment`; MSH counts
    // its fields the HL7 way too (MSH-7 is the message time).
    QString field(int segment, int n) const;
    void setField(int segment, int n, const QString &value);

    // The message as the LIS receives it: segments ending in CR, UTF-8.
    QByteArray bytes() const;
    QString text() const;
    // Reads a message this program wrote (segments ending in CR). None when
    // the text is no message with an MSH.
    static std::optional<Hl7Message> parse(const QString &text);

private:
    QList<QStringList> m_segments; // each segment: id, then fields 1…
};

// A value as an HL7 text: the delimiters as \F\ \S\ \R\ \E\ \T\, control
// characters (a line break typed into a value) as \Xhh\.
QString Hl7Escape(const QString &value);
// The reverse, for the texts of an answer.
QString Hl7Unescape(const QString &text);

// HL7 date/times: YYYYMMDD, and YYYYMMDDHHMMSS+ZZZZ with the moment's own UTC offset.
QString Hl7Date(const QDate &date);
QString Hl7Second(const QDateTime &local);

} // namespace Tabrix
