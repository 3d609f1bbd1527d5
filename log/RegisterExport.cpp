#include "log/RegisterExport.h"
#include "app/CommaText.h"
#include "labels/DateFormat.h"
#include "register/Cursor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace Tabrix {

namespace {

QByteArray latin1(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = text[i].unicode() < 256 ? char(text[i].unicode()) : '?';
    return out;
}

} // namespace

ExportFormat::ExportFormat(const QSqlRecord &columns, const QLocale &locale)
    : m_created(columns.indexOf(QStringLiteral("Created"))), m_locale(locale),
      m_date(ShortDatePattern(locale)), m_time(LongTimePattern(locale))
{
}

QString ExportFormat::line(const QVariantList &values, const QStringList &testCodes) const
{
    QString line;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values[i];
        if (i == m_created && !v.isNull()) {
            // Stored as "yyyy-MM-ddTHH:mm:ss.zzz": read without any time-zone work.
            const QString stored = v.toString();
            const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
            const QTime time = stored.size() > 11 ? QTime::fromString(stored.mid(11), Qt::ISODateWithMs) : QTime(0, 0);
            if (date.isValid() && time.isValid()) {
                line += m_locale.toString(date, m_date);
                if (time != QTime(0, 0))
                    line += u' ' + m_locale.toString(time, m_time);
                line += u'\\';
                continue;
            }
        }
        line += v.toString() + u'\\';
    }
    return line + CommaText(testCodes) + QLatin1String("\r\n");
}

void ExportRegister(const QSqlDatabase &db, const QString &file, const std::function<void()> &keepGoing)
{
    // One pass over the patients in accession order, each with its tests in their
    // order as one JSON array.
    const bool postgres = db.driverName() == QLatin1String("QPSQL");
    const QString tests = postgres
        ? QStringLiteral("(SELECT json_agg(t.TestCode ORDER BY t.Test_id) FROM tests t WHERE t.Order_id = p.Order_id)")
        : QStringLiteral("(SELECT json_group_array(TestCode) FROM "
                         "(SELECT t.TestCode FROM tests t WHERE t.Order_id = p.Order_id ORDER BY t.Test_id))");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT p.*, %1 AS tabrix_tests FROM patients p ORDER BY p.AccnNum, p.Order_id").arg(tests)))
        throw EDatabaseError(q.lastError());
    QSqlRecord columns = q.record();
    const int testsColumn = columns.count() - 1;
    columns.remove(testsColumn);
    const ExportFormat format(columns, QLocale::system());

    QByteArray text;
    QVariantList patient(columns.count());
    QStringList codes;
    for (qint64 rows = 0; q.next(); ++rows) {
        if (rows % 64 == 0)
            keepGoing(); // often enough for the window to stay responsive
        for (int i = 0; i < patient.size(); ++i)
            patient[i] = q.value(i);
        codes.clear();
        for (const QJsonValue code : QJsonDocument::fromJson(q.value(testsColumn).toByteArray()).array())
            codes << code.toString();
        text += latin1(format.line(patient, codes));
    }
    if (q.lastError().isValid())
        throw EDatabaseError(q.lastError());

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit())
        throw ETabrixError(QStringLiteral("Cannot create file \"%1\". %2").arg(file, out.errorString()));
}

} // namespace Tabrix
