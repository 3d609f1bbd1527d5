#include "lis/FhirBundle.h"
#include "base/AtomicFile.h"
#include "lis/LisRegistration.h"
#include "lis/LisSettings.h"
#include "lis/OrderMessage.h"
#include "register/RegisterStatement.h"

#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <string>

namespace Tabrix {

namespace {

constexpr qsizetype Chunk = 1 << 20;
// The namespace of the name-based full URLs: the same identifier always gives the same URL.
const QUuid UrlNamespace{0x6f1c7a52, 0x3d4e, 0x5b8a, 0x9c, 0x21, 0x4e, 0x5f, 0x60, 0x71, 0x82, 0x93};
const QString SpecimenTypes = QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0487");
const QString IdentifierTypes = QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203");

// The bundle's text as it is built: a standard string, whose small appends cost
// next to nothing.
using Text = std::string;

// A text as a JSON string in UTF-8: quotes, backslashes and control characters escaped.
void appendJsonString(Text &out, const QString &value)
{
    out += '"';
    const char16_t *c = reinterpret_cast<const char16_t *>(value.utf16());
    const char16_t *end = c + value.size();
    const auto plain = [](char16_t u) { return u >= 0x20 && u < 0x80 && u != '"' && u != '\\'; };
    for (; c < end; ++c) {
        const char16_t u = *c;
        if (plain(u)) { // the run of plain characters, written at once
            const char16_t *runEnd = std::find_if_not(c, end, plain);
            const size_t at = out.size();
            out.resize(at + size_t(runEnd - c));
            std::copy(c, runEnd, out.begin() + qsizetype(at));
            c = runEnd - 1;
        } else if (u < 0x80) {
            switch (u) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: {
                char escaped[7];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(u));
                out += escaped;
            }
            }
        } else {
            const qsizetype run = std::find_if(c, end, [](char16_t x) { return x < 0x80; }) - c;
            const QByteArray utf8 = QStringView(c, run).toUtf8();
            out.append(utf8.constData(), size_t(utf8.size()));
            c += run - 1;
        }
    }
    out += '"';
}

// A JSON object written member by member; an empty text is left out, as FHIR has no empty values.
class Json {
public:
    explicit Json(Text &out) : m_out(out) { m_out += '{'; }
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
    Text &member(const char *name)
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
    Text &m_out;
    bool m_first = true;
};

// A FHIR code has no blanks at its ends and single blanks within.
bool isCode(const QString &value)
{
    if (value.isEmpty() || value.front().isSpace() || value.back().isSpace())
        return false;
    for (qsizetype i = 0; i < value.size(); ++i)
        if (value[i].isSpace() && (value[i] != u' ' || value[i + 1].isSpace()))
            return false;
    return true;
}

// A text percent-encoded as a query's value: all but the unreserved characters.
QString percentEncoded(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'.' || c == u'_' || c == u'~');
    });
    return plain ? text : QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// The search value of an identifier's value for a conditional create: the search's
// own escapes (\ , $ |), then percent-encoded.
QString searchValue(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\' || c == u',' || c == u'$' || c == u'|')
            escaped += u'\\';
        escaped += c;
    }
    return percentEncoded(escaped);
}

// An identifier system with what its conditional creates and full URLs begin with.
struct IdentifierSystem {
    QString system;
    QString query;  // "identifier=" and the encoded system and its bar
    QByteArray key; // the name of the full URLs of this kind of resource

    IdentifierSystem(const char *type, const QString &s)
        : system(s), query(QStringLiteral("identifier=") + percentEncoded(s) + QStringLiteral("|")),
          key(QByteArray(type) + '|' + s.toUtf8() + '|')
    {
    }
    QString ifNoneExist(const QString &value) const { return query + searchValue(value); }
    // The same identifier always gives the same URL.
    QString url(const QString &value) const
    {
        return QStringLiteral("urn:uuid:")
               + QUuid::createUuidV5(UrlNamespace, key + value.toUtf8()).toString(QUuid::WithoutBraces);
    }
};

class BundleWriter {
public:
    BundleWriter(const LisSettings &s, const QString &file)
        : m_settings(s), m_file(file), m_patients("Patient", systemOf(s, "patient-id")),
          m_specimens("Specimen", systemOf(s, "accession")), m_orders("ServiceRequest", systemOf(s, "placer-order")),
          m_testCodes(systemOf(s, "test-code"))
    {
        m_out.reserve(Chunk + 64 * 1024);
        m_out += "{\"resourceType\":\"Bundle\",\"type\":\"transaction\",\"entry\":[";
    }

    void add(const LisRegistration &r, const LisContent &c)
    {
        if (!m_patientWritten || r.patientId != m_patientId) {
            m_patientId = r.patientId;
            m_patientUrl = m_patients.url(r.patientId);
            writePatient(r, c);
            m_patientWritten = true;
        }
        const QString specimenUrl = m_specimens.url(r.accnStr);
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
    // The system of one kind of identifier: under the settings' base, after ":" in a URN, else "/".
    static QString systemOf(const LisSettings &s, const char *kind)
    {
        const QString base = s.identifierSystem.isEmpty() ? QStringLiteral("urn:tabrix") : s.identifierSystem;
        return base + (base.startsWith(QLatin1String("urn:")) ? u':' : u'/') + QLatin1String(kind);
    }

    void flush()
    {
        if (const QString error = m_file.write(QByteArray::fromRawData(m_out.data(), qsizetype(m_out.size())));
            !error.isEmpty())
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
    void endEntry(const char *type, const IdentifierSystem &system, const QString &value)
    {
        m_out += ",\"request\":";
        Json(m_out).text("method", QStringLiteral("POST")).text("url", QString::fromLatin1(type))
            .text("ifNoneExist", system.ifNoneExist(value));
        m_out += '}';
    }
    // An identifier (a list of one when `list`), with its kind from HL7 table 0203 when given.
    void identifier(Json &resource, const char *name, const QString &system, const QString &value, bool list,
                    const char *type = nullptr)
    {
        Text &out = resource.member(name);
        if (list)
            out += '[';
        {
            Json id(out);
            if (type) {
                Json codeable(id.member("type"));
                Text &coding = codeable.member("coding");
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
        Text &out = resource.member(name);
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
            identifier(p, "identifier", m_patients.system, r.patientId, true, "MR");
            Text &name = p.member("name");
            name += '[';
            {
                Json n(name);
                n.text("family", r.lastName);
                QStringList given;
                for (const QString &g : {r.firstName, r.middleInitial})
                    if (!g.isEmpty())
                        given << g;
                if (!given.isEmpty()) {
                    Text &list = n.member("given");
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
        endEntry("Patient", m_patients, r.patientId);
    }

    void writeSpecimen(const LisRegistration &r, const LisContent &c, const QString &url)
    {
        beginEntry(url);
        {
            Json s(m_out);
            s.text("resourceType", QStringLiteral("Specimen"));
            identifier(s, "identifier", m_specimens.system, r.accnStr, true, "ACSN");
            identifier(s, "accessionIdentifier", m_specimens.system, r.accnStr, false);
            if (!m_settings.specimenType.isEmpty()) {
                Text &type = s.member("type");
                Json t(type);
                if (isCode(m_settings.specimenType)) {
                    Text &coding = t.member("coding");
                    coding += '[';
                    Json(coding).text("system", SpecimenTypes).text("code", m_settings.specimenType);
                    coding += ']';
                } else {
                    t.text("text", m_settings.specimenType);
                }
            }
            reference(s, "subject", m_patientUrl);
            s.text("receivedTime", c.received.fhirDateTime());
            Json(s.member("collection")).text("collectedDateTime", c.collected.fhirDateTime());
        }
        endEntry("Specimen", m_specimens, r.accnStr);
    }

    void writeServiceRequest(const LisRegistration &r, const LisContent &c, const QString &code, const QString &placer,
                             const QString &specimenUrl)
    {
        beginEntry(m_orders.url(placer));
        {
            Json s(m_out);
            s.text("resourceType", QStringLiteral("ServiceRequest"));
            identifier(s, "identifier", m_orders.system, placer, true, "PLAC");
            identifier(s, "requisition", m_specimens.system, r.accnStr, false);
            s.text("status", QStringLiteral("active")).text("intent", QStringLiteral("order"));
            {
                Json codeable(s.member("code"));
                if (isCode(code)) {
                    Text &coding = codeable.member("coding");
                    coding += '[';
                    Json(coding).text("system", m_testCodes).text("code", code);
                    coding += ']';
                }
                codeable.text("text", code);
            }
            reference(s, "subject", m_patientUrl);
            s.text("occurrenceDateTime", c.collected.fhirDateTime());
            reference(s, "specimen", specimenUrl, true);
        }
        endEntry("ServiceRequest", m_orders, placer);
    }

    const LisSettings &m_settings;
    AtomicFileWriter m_file;
    Text m_out;
    const IdentifierSystem m_patients, m_specimens, m_orders;
    const QString m_testCodes;
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
