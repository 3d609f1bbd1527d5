#pragma once
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace Tabrix {

// Writes the whole register to `file`, one line per patient in accession-number
// order: every column in the table's own order, each followed by "\" (nothing for
// an empty column, numbers in decimal, Created as the short date followed, unless
// it is midnight, by the long time), then the test codes as comma text, then CR LF;
// in ISO-8859-1 (a character outside it becomes "?"). The register is read as it
// streams and written in parts, so memory stays flat however large it is; the file
// appears complete or not at all. `keepGoing` runs every 64 patients, the first
// included, with the patients written and the patients in all (the window stays
// responsive); false from it cancels, and any earlier file of that name stays as it
// was. Returns false when cancelled; raises ETabrixError with the reason on failure.
// An SQLite register found damaged on the way is exported again registration by
// registration: every one that can still be read is written, and the accession
// numbers of those that cannot are put in `unreadable` (when given; else the
// damage raises as any failure).
bool ExportRegister(const QSqlDatabase &db, const QString &file,
                    const std::function<bool(qint64 written, qint64 total)> &keepGoing,
                    QStringList *unreadable = nullptr);

} // namespace Tabrix
