#include "log/RegisterExport.h"
#include "app/base/AtomicFile.h"
#include "app/base/CommaText.h"
#include "labels/DateFormat.h"
#include "register/Cursor.h"

#include <QLocale>
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

// A value as the text it is written as: a blob's bytes (written by another tool)
// as Latin-1 text, anything else as Qt reads it. No value can be refused.
QString textOf(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QByteArray)
        return QString::fromLatin1(v.toByteArray());
    return v.toString();
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
            const QString stored = textOf(v);
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
        line += textOf(v) + u'\\';
    }
    return line + CommaText(testCodes) + QLatin1String("\r\n");
}

void ExportRegister(const QSqlDatabase &db, const QString &file, const std::function<void()> &keepGoing)
{
    // One pass over the patients in accession order, each followed by its tests in
    // their order: one row per test (or one row without a test), read as values.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT p.*, t.TestCode AS tabrix_test FROM patients p "
                               "LEFT JOIN tests t ON t.Order_id = p.Order_id "
                               "ORDER BY p.AccnNum, p.Order_id, t.Test_id")))
        throw EDatabaseError(db, q.lastError());
    QSqlRecord columns = q.record();
    const int testColumn = columns.count() - 1;
    columns.remove(testColumn);
    const int key = columns.indexOf(QStringLiteral("Order_id"));
    const ExportFormat format(columns, QLocale::system());

    QByteArray text;
    QVariantList patient;
    QStringList codes;
    qint64 patients = 0;
    const auto flush = [&] {
        if (!patient.isEmpty())
            text += latin1(format.line(patient, codes));
    };
    while (q.next()) {
        if (patient.isEmpty() || q.value(key) != patient[key]) {
            flush();
            if (patients++ % 64 == 0)
                keepGoing(); // often enough for the window to stay responsive
            patient.resize(columns.count());
            for (int i = 0; i < patient.size(); ++i)
                patient[i] = q.value(i);
            codes.clear();
        }
        if (const QVariant code = q.value(testColumn); !code.isNull())
            codes << textOf(code);
    }
    if (q.lastError().isValid())
        throw EDatabaseError(db, q.lastError());
    flush();

    if (const QString why = WriteFileAtomically(file, text); !why.isEmpty())
        throw ETabrixError(QStringLiteral("Cannot create file \"%1\". %2").arg(file, why));
}

} // namespace Tabrix
