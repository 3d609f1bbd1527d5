#include "labels/LabelFields.h"
#include "base/Clock.h"
#include "base/IntText.h"
#include "base/DateFormat.h"
#include "register/Registration.h"

#include <QLocale>

namespace Tabrix {

namespace {

QString cut(const QString &s, int length)
{
    return length <= 0 ? QString() : s.left(length);
}

// The 1-based place of the last "," among the first `length` characters, or 0.
qsizetype lastCommaThatFits(const QString &code, int length)
{
    return length <= 0 ? 0 : code.left(length).lastIndexOf(u',') + 1;
}

QString fieldValue(const Registration &patients, const QString &name, const QString &format, int length)
{
    if (name == u"AGE")
        return AgeText(patients.asDateTime(QStringLiteral("DOB")).date(), Clock::today());
    if (name == u"FULLNAME")
        return cut(patients.asString(QStringLiteral("Last_Name")) + u',' + patients.asString(QStringLiteral("First_Name")),
                   length);
    if (!format.isEmpty())
        return cut(FormatDateTime(format, patients.asDateTime(name), QLocale::system()), length);
    return cut(patients.asString(name), length);
}

} // namespace

QString PageProducer1HTMLTag(const Registration &patients, const QString &testCode, const QString &stationID,
                             const TagParams &params)
{
    try {
        const QString name = params.value(QStringLiteral("Name")).toUpper();
        int length = 40;
        if (const QString given = params.value(QStringLiteral("Length")); !given.isEmpty())
            length = ReadIntText(given).value_or(40);

        if (name == u"TESTCODE" || name == u"TESTCODE2") {
            const QString &code = testCode;
            const bool tooLong = code.size() > length;
            const qsizetype comma = lastCommaThatFits(code, length);
            if (name == u"TESTCODE")
                return tooLong ? (comma <= 1 ? QString() : code.left(comma - 1)) : code;
            return tooLong ? cut(code.mid(comma), length) : QString();
        }
        if (name == u"STATIONID")
            return cut(stationID, length);
        try {
            return fieldValue(patients, name, params.value(QStringLiteral("Format")), length);
        } catch (const ETabrixError &) {
            return cut(patients.asString(name), length); // a Format on a text that is no date
        }
    } catch (const ETabrixError &) {
        return QStringLiteral("?????");
    }
}

} // namespace Tabrix
