#include "labels/SampleValues.h"
#include "base/Clock.h"
#include "base/IntText.h"
#include "base/DateFormat.h"
#include "register/DateText.h"

#include <QFile>
#include <QLocale>

namespace Tabrix {

SampleValues SampleValues::Load(const QString &sampleFile)
{
    QFile file(sampleFile);
    if (!file.open(QIODevice::ReadOnly))
        return BuiltIn();
    QStringList lines;
    for (const QString &line : QString::fromLatin1(file.readAll()).split(u'\n'))
        lines << (line.endsWith(u'\r') ? line.chopped(1) : line);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return SampleValues(lines);
}

SampleValues SampleValues::BuiltIn()
{
    const auto date = [] { return Clock::now().toString(QStringLiteral("MM/dd/yyyy")); };
    const auto hoursAgo = [](int hours) { return Clock::now().addSecs(-hours * 3600).toString(QStringLiteral("HHmm")); };
    return SampleValues({
        QStringLiteral("ORDER_ID=0"),
        QStringLiteral("ACCNNUM=1000012345"),
        QStringLiteral("ACCNSTR=X12345"),
        QStringLiteral("CREATED=") + date(),
        QStringLiteral("PATIENT_ID=1234567890"),
        QStringLiteral("FULLNAME=Pindle,Oska"),
        QStringLiteral("LAST_NAME=Pindle"),
        QStringLiteral("FIRST_NAME=Oska"),
        QStringLiteral("MIDDLE_INITIAL=A"),
        QStringLiteral("DOB=01/19/1970"),
        QStringLiteral("AGE=32Y"),
        QStringLiteral("LOCATION=W144"),
        QStringLiteral("GENDER=M"),
        QStringLiteral("COLLECTION_DATE=") + date(),
        QStringLiteral("COLLECTION_TIME=") + hoursAgo(12),
        QStringLiteral("RECIEVE_DATE=") + date(),
        QStringLiteral("RECIEVE_TIME=") + hoursAgo(6),
        QStringLiteral("TESTCODE=CBC"),
    });
}

QString SampleValues::value(const QString &name) const
{
    return ValueOfName(m_lines, name);
}

QString SampleValues::TagValue(const TagParams &params) const
{
    const QString name = params.value(QStringLiteral("Name")).toUpper();
    const int length = ReadIntText(params.value(QStringLiteral("Length"))).value_or(40);
    QString text = value(name);
    if (const QString format = params.value(QStringLiteral("Format")); !format.isEmpty())
        if (const auto moment = ReadDateText(text, Clock::today()))
            text = FormatDateTime(format, *moment, QLocale::system());
    if (text.isEmpty())
        text = name;
    return length <= 0 ? QString() : text.left(length);
}

} // namespace Tabrix
