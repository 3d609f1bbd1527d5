#include "lis/FhirBundle.h"
#include "base/AtomicFile.h"
#include "lis/LisRegistration.h"
#include "lis/LisSettings.h"
#include "lis/OrderMessage.h"
#include "register/RegisterStatement.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

namespace Tabrix {

namespace {

constexpr qsizetype Chunk = 1 << 20;
// The namespace of the name-based full URLs: the same identifier always gives the same URL.
const QUuid UrlNamespace{0x6f1c7a52, 0x3d4e, 0x5b8a, 0x9c, 0x21, 0x4e, 0x5f, 0x60, 0x71, 0x82, 0x93};
const QString SpecimenTypes = QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0487");
const QString IdentifierTypes = QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203");

void appendJsonString(QByteArray &out, const QString &value)
{
    out += '"';
    for (const char c : value.toUtf8()) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (uchar(c) < 0x20)
                out += QByteArray("\\u00") + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    out += '"';
}

// A JSON object written member by member; an empty text is left out, as FHIR has no empty values.
class Json {
public:
    explicit Json(QByteArray &out) : m_out(out) { m_out += '{'; }
    ~Json() { m_out += '}'; }
    Json &text(const char *name, const QString &value)
    {
        if (!value.isEmpty()) {
            key(name);
            appendJsonString(m_out, value);
        }
        return *this;
    }
    // A member whose value the caller writes next.
    QByteArray &member(const char *name)
    {
        key(name);
        return m_out;
    }

private:
    void key(const char *name)
    {
        if (!m_first)
            m_out += ',';
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\":";
    }
    QByteArray &m_out;
    bool m_first = true;
};

QString fhirDateTime(const QDateTime &local)
{
    const int offset = local.offsetFromUtc() / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
           + QStringLiteral("%1%2:%3")
                 .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                 .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
                 .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'));
}

// A FHIR code has no blanks at its ends and single blanks within.
bool isCode(const QString &value)
{
    static const QRegularExpression code(QStringLiteral("^[^\\s]+( [^\\s]+)*$"));
    return code.match(value).hasMatch();
}

// The search value of an identifier for a conditional create: the search's own
// escapes (\ , $ |), then percent-encoded as a query.
QString identifierQuery(const QString &system, const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == u'\\' || c == u',' || c == u'$' || c == u'|')
            escaped += u'\\';
        escaped += c;
    }
    return QStringLiteral("identifier=") + QString::fromLatin1(QUrl::toPercentEncoding(system + u'|' + escaped, "|"));
}

class BundleWriter {
public:
    BundleWriter(const LisSettings &s, const QString &file) : m_settings(s), m_file(file)
    {
        const QString base = s.identifierSystem.isEmpty() ? QStringLiteral("urn:tabrix") : s.identifierSystem;
        const QString sep = base.startsWith(QLatin1String("urn:")) ? QStringLiteral(":") : QStringLiteral("/");
        m_patientIds = base + sep + QStringLiteral("patient-id");
        m_accessions = base + sep + QStringLiteral("accession");
        m_placerOrders = base + sep + QStringLiteral("placer-order");
        m_testCodes = base + sep + QStringLiteral("test-code");
        m_out.reserve(Chunk + 64 * 1024);
        m_out += "{\"resourceType\":\"Bundle\",\"type\":\"transaction\",\"entry\":[";
    }

    void add(const LisRegistration &r, const LisContent &c)
    {
        if (!m_patientWritten || r.patientId != m_patientId) {
            m_patientId = r.patientId;
            m_patientUrl = urlOf(QStringLiteral("Patient"), m_patientIds, r.patientId);
            writePatient(r, c);
            m_patientWritten = true;
        }
        const QString specimenUrl = urlOf(QStringLiteral("Specimen"), m_accessions, r.accnStr);
        writeSpecimen(r, c, specimenUrl);
        const QStringList placers = PlacerOrderNumbers(r);
        for (int i = 0; i < r.tests.size(); ++i)
            writeServiceRequest(r, c, r.tests[i], placers[i], specimenUrl);
        if (m_out.size() >= Chunk)
            flush();
    }

    void finish()
    {
        m_out += "]}\n";
        flush();
        if (const QString error = m_file.commit(); !error.isEmpty())
            throw ETabrixError(error);
    }

private:
    static QString urlOf(const QString &type, const QString &system, const QString &value)
    {
        return QStringLiteral("urn:uuid:")
               + QUuid::createUuidV5(UrlNamespace, QStringLiteral("%1|%2|%3").arg(type, system, value))
                     .toString(QUuid::WithoutBraces);
    }

    void flush()
    {
        if (const QString error = m_file.write(m_out); !error.isEmpty())
            throw ETabrixError(error);
        m_out.clear();
    }

    // An entry: its full URL, then the caller writes the resource, then the request.
    void beginEntry(const QString &url)
    {
        if (m_entries++)
            m_out += ',';
        m_out += "{\"fullUrl\":";
        appendJsonString(m_out, url);
        m_out += ",\"resource\":";
    }
    void endEntry(const char *type, const QString &system, const QString &value)
    {
        m_out += ",\"request\":";
        Json(m_out).text("method", QStringLiteral("POST")).text("url", QString::fromLatin1(type))
            .text("ifNoneExist", identifierQuery(system, value));
        m_out += '}';
    }
    // An identifier (a list of one when `list`), with its kind from HL7 table 0203 when given.
    void identifier(Json &resource, const char *name, const QString &system, const QString &value, bool list,
                    const char *type = nullptr)
    {
        QByteArray &out = resource.member(name);
        if (list)
            out += '[';
        {
            Json id(out);
            if (type) {
                Json codeable(id.member("type"));
                QByteArray &coding = codeable.member("coding");
                coding += '[';
                Json(coding).text("system", IdentifierTypes).text("code", QString::fromLatin1(type));
                coding += ']';
            }
            id.text("system", system).text("value", value);
        }
        if (list)
            out += ']';
    }
    void reference(Json &resource, const char *name, const QString &url, bool list = false)
    {
        QByteArray &out = resource.member(name);
        if (list)
            out += '[';
        Json(out).text("reference", url);
        if (list)
            out += ']';
    }

    void writePatient(const LisRegistration &r, const LisContent &c)
    {
        beginEntry(m_patientUrl);
        {
            Json p(m_out);
            p.text("resourceType", QStringLiteral("Patient"));
            identifier(p, "identifier", m_patientIds, r.patientId, true, "MR");
            QByteArray &name = p.member("name");
            name += '[';
            {
                Json n(name);
                n.text("family", r.lastName);
                QStringList given;
                for (const QString &g : {r.firstName, r.middleInitial})
                    if (!g.isEmpty())
                        given << g;
                if (!given.isEmpty()) {
                    QByteArray &list = n.member("given");
                    list += '[';
                    for (int i = 0; i < given.size(); ++i) {
                        if (i)
                            list += ',';
                        appendJsonString(list, given[i]);
                    }
                    list += ']';
                }
            }
            name += ']';
            const QString g = r.gender.trimmed().toUpper();
            p.text("gender", g == QLatin1String("M") ? QStringLiteral("male")
                             : g == QLatin1String("F") ? QStringLiteral("female") : QStringLiteral("unknown"));
            p.text("birthDate", c.dob.toString(Qt::ISODate));
        }
        endEntry("Patient", m_patientIds, r.patientId);
    }

    void writeSpecimen(const LisRegistration &r, const LisContent &c, const QString &url)
    {
        beginEntry(url);
        {
            Json s(m_out);
            s.text("resourceType", QStringLiteral("Specimen"));
            identifier(s, "identifier", m_accessions, r.accnStr, true, "ACSN");
            identifier(s, "accessionIdentifier", m_accessions, r.accnStr, false);
            if (!m_settings.specimenType.isEmpty()) {
                QByteArray &type = s.member("type");
                Json t(type);
                if (isCode(m_settings.specimenType)) {
                    QByteArray &coding = t.member("coding");
                    coding += '[';
                    Json(coding).text("system", SpecimenTypes).text("code", m_settings.specimenType);
                    coding += ']';
                } else {
                    t.text("text", m_settings.specimenType);
                }
            }
            reference(s, "subject", m_patientUrl);
            s.text("receivedTime", fhirDateTime(c.received));
            Json(s.member("collection")).text("collectedDateTime", fhirDateTime(c.collected));
        }
        endEntry("Specimen", m_accessions, r.accnStr);
    }

    void writeServiceRequest(const LisRegistration &r, const LisContent &c, const QString &code, const QString &placer,
                             const QString &specimenUrl)
    {
        beginEntry(urlOf(QStringLiteral("ServiceRequest"), m_placerOrders, placer));
        {
            Json s(m_out);
            s.text("resourceType", QStringLiteral("ServiceRequest"));
            identifier(s, "identifier", m_placerOrders, placer, true, "PLAC");
            identifier(s, "requisition", m_accessions, r.accnStr, false);
            s.text("status", QStringLiteral("active")).text("intent", QStringLiteral("order"));
            {
                Json codeable(s.member("code"));
                if (isCode(code)) {
                    QByteArray &coding = codeable.member("coding");
                    coding += '[';
                    Json(coding).text("system", m_testCodes).text("code", code);
                    coding += ']';
                }
                codeable.text("text", code);
            }
            reference(s, "subject", m_patientUrl);
            s.text("occurrenceDateTime", fhirDateTime(c.collected));
            reference(s, "specimen", specimenUrl, true);
        }
        endEntry("ServiceRequest", m_placerOrders, placer);
    }

    const LisSettings &m_settings;
    AtomicFileWriter m_file;
    QByteArray m_out;
    QString m_patientIds, m_accessions, m_placerOrders, m_testCodes;
    QString m_patientId, m_patientUrl;
    bool m_patientWritten = false;
    qint64 m_entries = 0;
};

} // namespace

bool ExportFhirBundle(const QSqlDatabase &db, const LisSettings &settings, const QString &file, FhirExportReport &report,
                      const std::function<bool(qint64, qint64)> &keepGoing)
{
    qint64 total = 0;
    if (keepGoing) {
        QSqlQuery count = ExecRegister(db, QStringLiteral("SELECT count(*) FROM patients"));
        total = count.next() ? count.value(0).toLongLong() : 0;
    }
    BundleWriter bundle(settings, file);
    bool cancelled = false;
    qint64 seen = 0;
    ForEachRegistration(db, RegistrationOrder::Patient, [&](const LisRegistration &r) {
        if (cancelled)
            return;
        if (keepGoing && seen++ % 64 == 0 && !keepGoing(seen - 1, total)) {
            cancelled = true;
            return;
        }
        try {
            const LisContent content = ReadLisContent(r);
            bundle.add(r, content);
            ++report.registrations;
        } catch (const ELisContent &e) {
            report.leftOut << QStringLiteral("%1: %2").arg(r.accnStr, e.message());
        }
    });
    if (cancelled)
        return false;
    bundle.finish();
    return true;
}

} // namespace Tabrix
