#include "lis/OrderMessage.h"
#include "base/Clock.h"
#include "register/DateText.h"
#include "register/EntryRules.h"

#include <QCryptographicHash>

namespace Tabrix {

namespace {

const QString SendingApplication = QStringLiteral("TABRIX");

// A stored date text: its usual form "mm/dd/yyyy" read at once, any other by the
// date text rule a save checks it with.
QDate dateOf(const QString &stored, const QDate &today, const char *fault)
{
    static constexpr char Form[] = "99/99/9999";
    bool usual = stored.size() == 10;
    for (int i = 0; usual && i < 10; ++i)
        usual = Form[i] == '/' ? stored[i] == u'/' : stored[i] >= u'0' && stored[i] <= u'9';
    if (usual) {
        const QDate date(stored.mid(6, 4).toInt(), stored.left(2).toInt(), stored.mid(3, 2).toInt());
        if (date.isValid())
            return date;
    }
    const auto date = ReadDateText(stored, today);
    if (!date)
        throw ELisContent(QString::fromLatin1(fault));
    return date->date();
}

LocalMoment momentOf(const QString &date, const QString &time, const QDate &today, const char *dateFault,
                     const char *timeFault)
{
    const QDate day = dateOf(date, today, dateFault);
    const auto hhmm = HHMMToTime(time);
    if (!hhmm)
        throw ELisContent(QString::fromLatin1(timeFault));
    return {day, *hhmm};
}

QString sexOf(const QString &gender)
{
    const QString g = gender.trimmed().toUpper();
    return g == QLatin1String("M") || g == QLatin1String("F") ? g : QStringLiteral("U");
}

} // namespace

LisContent ReadLisContent(const LisRegistration &r)
{
    if (r.accnStr.trimmed().isEmpty())
        throw ELisContent(QStringLiteral("It has no accession number"));
    if (r.patientId.trimmed().isEmpty())
        throw ELisContent(QStringLiteral("It has no patient id"));
    if (r.tests.isEmpty())
        throw ELisContent(QStringLiteral("It has no tests"));
    // A date without its year is of the year the registration was made in.
    const QDate made = QDate::fromString(r.created.left(10), Qt::ISODate);
    const QDate today = made.isValid() ? made : Clock::today();
    return {dateOf(r.dob, today, "DOB is not a valid date"),
            momentOf(r.collectionDate, r.collectionTime, today, "Collection date is not a valid date",
                     "Collection time is not a valid time"),
            momentOf(r.receiveDate, r.receiveTime, today, "Recieve date is not a valid date",
                     "Recieve time is not a valid time")};
}

QStringList PlacerOrderNumbers(const LisRegistration &r)
{
    QStringList numbers;
    for (int i = 0; i < r.tests.size(); ++i) {
        const qsizetype seen = r.tests.mid(0, i + 1).count(r.tests[i]);
        numbers << (seen > 1 ? QStringLiteral("%1-%2-%3").arg(r.accnStr, r.tests[i]).arg(seen)
                             : QStringLiteral("%1-%2").arg(r.accnStr, r.tests[i]));
    }
    return numbers;
}

Hl7Message BuildOrderMessage(const LisRegistration &r, const LisSettings &s)
{
    const auto [dob, collected, received] = ReadLisContent(r);

    const QString accn = Hl7Escape(r.accnStr);
    Hl7Message m;
    m.add(QStringLiteral("MSH"),
          {SendingApplication, Hl7Escape(s.stationID), Hl7Escape(s.receivingApplication), Hl7Escape(s.receivingFacility),
           QString(), QString(), s.legacyOrm ? QStringLiteral("ORM^O01") : QStringLiteral("OML^O21^OML_O21"), QString(),
           QStringLiteral("P"), s.legacyOrm ? QStringLiteral("2.3.1") : QStringLiteral("2.5.1"), QString(), QString(),
           QString(), QString(), QString(), QStringLiteral("UNICODE UTF-8")});
    m.add(QStringLiteral("PID"),
          {QStringLiteral("1"), QString(),
           QStringLiteral("%1^^^%2^MR").arg(Hl7Escape(r.patientId), Hl7Escape(s.assigningAuthority)), QString(),
           QStringLiteral("%1^%2^%3").arg(Hl7Escape(r.lastName), Hl7Escape(r.firstName), Hl7Escape(r.middleInitial)),
           QString(), Hl7Date(dob), sexOf(r.gender)});
    m.add(QStringLiteral("PV1"), {QStringLiteral("1"), QStringLiteral("U"), Hl7Escape(r.location)});
    const QStringList placers = PlacerOrderNumbers(r);
    for (int i = 0; i < r.tests.size(); ++i) {
        const QString &code = r.tests[i];
        const QString placer = Hl7Escape(placers[i]) + u'^' + SendingApplication;
        const QString number = QString::number(i + 1);
        m.add(QStringLiteral("ORC"), {OrderControl::New, placer, QString(), accn + u'^' + SendingApplication});
        const QString service = QStringLiteral("%1^%1^L").arg(Hl7Escape(code));
        if (s.legacyOrm) {
            m.add(QStringLiteral("OBR"), {number, placer, QString(), service, QString(), QString(), collected.hl7Minute(),
                                          QString(), QString(), QString(), QString(), QString(), QString(),
                                          received.hl7Minute(), Hl7Escape(s.specimenType), QString(), QString(), QString(),
                                          QString(), accn});
        } else {
            m.add(QStringLiteral("OBR"), {number, placer, QString(), service, QString(), QString(), collected.hl7Minute()});
            QStringList spm(18);
            spm[0] = number;
            spm[1] = accn;
            spm[3] = Hl7Escape(s.specimenType) + QStringLiteral("^^HL70487");
            spm[16] = collected.hl7Minute();
            spm[17] = received.hl7Minute();
            m.add(QStringLiteral("SPM"), spm);
        }
    }
    return m;
}

QString ContentDigest(const Hl7Message &message)
{
    Hl7Message content = message;
    content.setField(0, 7, QString());
    content.setField(0, 10, QString());
    for (int orc : content.segmentsOf(QStringLiteral("ORC")))
        content.setField(orc, 1, QString());
    return QString::fromLatin1(QCryptographicHash::hash(content.bytes(), QCryptographicHash::Sha256).toHex());
}

QString ControlIdFor(const QString &accnStr, const QString &digest, const QString &orderControl, int acceptedBefore)
{
    QString accn;
    for (const QChar c : accnStr)
        if (c.unicode() < 128 && c.isLetterOrNumber() && accn.size() < 10)
            accn += c;
    const QByteArray key = QStringLiteral("%1|%2|%3").arg(digest, orderControl).arg(acceptedBefore).toUtf8();
    return accn + u'-' + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(9));
}

void Address(Hl7Message &message, const QString &orderControl, const QString &controlId, const QDateTime &now)
{
    message.setField(0, 7, Hl7Second(now));
    message.setField(0, 10, Hl7Escape(controlId));
    for (int orc : message.segmentsOf(QStringLiteral("ORC")))
        message.setField(orc, 1, orderControl);
}

} // namespace Tabrix
