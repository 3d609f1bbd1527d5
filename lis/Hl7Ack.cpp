#include "lis/Hl7Ack.h"
#include "lis/Hl7Message.h"

#include <QRegularExpression>
#include <QStringList>

namespace Tabrix {

namespace {

Hl7Ack garbled(const QString &why) { return {Hl7Ack::Kind::Garbled, QString(), why}; }

// The readable parts of an ERR segment: ERR-8 (the user message) and ERR-3's
// text (v2.5), or the text of ERR-1's error code (v2.3.1), with the answer's own
// component and subcomponent delimiters.
void addErrTexts(QStringList &texts, const QStringList &fields, QChar component, QChar subcomponent)
{
    const auto add = [&](const QString &encoded) {
        const QString t = Hl7Unescape(encoded).trimmed();
        if (!t.isEmpty() && !texts.contains(t))
            texts << t;
    };
    add(fields.value(8).split(component).value(0));
    add(fields.value(3).split(component).value(1));
    add(fields.value(1).split(component).value(3).split(subcomponent).value(1));
}

} // namespace

Hl7Ack ReadAck(const QByteArray &answer, const QString &controlId)
{
    const QString text = QString::fromUtf8(answer);
    const QStringList segments = text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    if (segments.isEmpty() || !segments.first().startsWith(QLatin1String("MSH")) || segments.first().size() < 8)
        return garbled(QStringLiteral("The answer is no HL7 message."));
    const QChar fieldSep = segments.first()[3];
    const QChar component = segments.first()[4];
    const QChar subcomponent = segments.first()[7];
    QStringList msa, texts;
    for (const QString &segment : segments) {
        const QStringList fields = segment.split(fieldSep);
        if (fields[0] == QLatin1String("MSA") && msa.isEmpty())
            msa = fields;
        else if (fields[0] == QLatin1String("ERR"))
            addErrTexts(texts, fields, component, subcomponent);
    }
    if (msa.isEmpty())
        return garbled(QStringLiteral("The answer has no MSA segment."));
    if (Hl7Unescape(msa.value(2)) != controlId)
        return garbled(QStringLiteral("The answer is about another message (%1).").arg(Hl7Unescape(msa.value(2))));
    const QString code = msa.value(1).trimmed().toUpper();
    const QString msaText = Hl7Unescape(msa.value(3)).trimmed();
    if (!msaText.isEmpty())
        texts.prepend(msaText);
    texts.removeDuplicates();
    if (code == QLatin1String("AA") || code == QLatin1String("CA"))
        return {Hl7Ack::Kind::Accepted, code, texts.join(QStringLiteral("; "))};
    if (code == QLatin1String("AE") || code == QLatin1String("AR") || code == QLatin1String("CE") || code == QLatin1String("CR"))
        return {Hl7Ack::Kind::Refused, code, texts.join(QStringLiteral("; "))};
    return garbled(QStringLiteral("The answer's MSA-1 is \"%1\".").arg(code));
}

} // namespace Tabrix
