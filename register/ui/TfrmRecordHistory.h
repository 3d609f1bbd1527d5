#pragma once
#include <QDialog>
#include <QSqlDatabase>

namespace Tabrix {

class RecordStore;

// Record > Record History: the audit trail's rows of the current registration,
// newest first, read a page at a time.
class TfrmRecordHistory : public QDialog {
    Q_OBJECT
public:
    TfrmRecordHistory(const QSqlDatabase &db, const QVariant &orderId, const QString &accession, QWidget *parent = nullptr);
};

// Opens it on the current record; a register without an audit trail is said so.
void RecordHistory1Click(QWidget *parent, RecordStore &store);
// File > Export Audit Trail: the whole trail as CSV, as the label history is exported.
void ExportAuditTrail1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder);

} // namespace Tabrix
