#pragma once
#include <QSqlDatabase>
#include <QLocale>
#include <QSqlRecord>
#include <QStringList>
#include <functional>

namespace Tabrix {

// How the columns of a patient row are written: as stored, numbers in decimal,
// nothing for an empty column, and Created as the short date followed, unless it is
// midnight, by the long time.
class ExportFormat {
public:
    ExportFormat(const QSqlRecord &columns, const QLocale &locale);
    // One line of the export file: every column in the table's own order, each
    // followed by "\", then the test codes as comma text, then CR LF.
    QString line(const QVariantList &values, const QStringList &testCodes) const;

private:
    int m_created;
    QLocale m_locale;
    QString m_date, m_time;
};

// Writes the whole register to `file`, one line per patient in accession-number
// order, in ISO-8859-1 (a character outside it becomes "?"). The file appears
// complete or not at all. `keepGoing` runs every 64 rows, the first included (the
// window stays responsive). Raises ETabrixError with the reason on failure.
void ExportRegister(const QSqlDatabase &db, const QString &file, const std::function<void()> &keepGoing);

} // namespace Tabrix
