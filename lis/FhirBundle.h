#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace Tabrix {

struct LisSettings;

// What an export wrote, and the registrations it left out with why ("X12345: DOB
// is not a valid date").
struct FhirExportReport {
    qint64 registrations = 0;
    QStringList leftOut;
};

// Writes the register as one FHIR R4 transaction Bundle (JSON) to `file`: for each
// patient a Patient (created only if none has its identifier), and for each of its
// registrations a Specimen (the accession number) and a ServiceRequest per test
// (the placer order number), each created only if none has its identifier, with
// urn:uuid full URLs (made from the identifiers) and references between them. The
// same register gives the same bytes. A registration whose values make no valid
// message is left out. The register streams in patient order and the file is
// written in parts, so memory stays flat; it appears complete or not at all.
// `keepGoing(written, total)` runs every 64 registrations; false cancels (no file). Returns false
// when cancelled; raises ETabrixError.
bool ExportFhirBundle(const QSqlDatabase &db, const LisSettings &settings, const QString &file,
                      FhirExportReport &report, const std::function<bool(qint64 written, qint64 total)> &keepGoing = {});

} // namespace Tabrix
