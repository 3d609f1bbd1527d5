#include "register/ui/TfrmRecordHistory.h"
#include "base/Prompter.h"
#include "base/ui/RecordGrid.h"
#include "base/ui/SaveFileDialog.h"
#include "register/AuditHistory.h"
#include "register/RecordStore.h"
#include "register/RegisterStatement.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace Tabrix {

namespace {
QString missingTrail()
{
    return QStringLiteral("This register keeps no audit trail yet: run \"tabrix-register upgrade\" on its folder to add "
                          "one. Changes are saved as before meanwhile.");
}
} // namespace

TfrmRecordHistory::TfrmRecordHistory(const QSqlDatabase &db, const QVariant &orderId, const QString &accession,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRecordHistory"));
    setWindowTitle(QStringLiteral("Record History"));
    auto *model = new AuditHistoryModel(db, this);
    model->showRowsOf(orderId);
    QTableView *rows = NewRecordGrid(this, QStringLiteral("grdChanges"), model);
    rows->resizeColumnsToContents();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Changes of %1, newest first: %2").arg(accession).arg(model->rowCount()), this));
    layout->addWidget(rows, 1);
    layout->addWidget(buttons);
}

void RecordHistory1Click(QWidget *parent, RecordStore &store)
{
    const QSqlDatabase db = store.database();
    if (!HasTable(db, QStringLiteral("audit_log"))) {
        ShowError(missingTrail());
        return;
    }
    const Registration record = store.currentRegistration();
    if (record.isNull()) {
        ShowError(QStringLiteral("Save the registration first: a registration not saved has no history."));
        return;
    }
    TfrmRecordHistory(db, record.orderId(), record.accnStr(), parent).exec();
}

void ExportAuditTrail1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder)
{
    if (!HasTable(db, QStringLiteral("audit_log"))) {
        ShowError(missingTrail());
        return;
    }
    ExportTableToCsv(parent, folder,
                     {QStringLiteral("Export Audit Trail"), QStringLiteral("SaveAuditTrail"),
                      QStringLiteral("audit_trail.csv"), QStringLiteral("changes"), QStringLiteral("The audit trail is in %1"),
                      [&](const QString &file, const auto &keepGoing) { return ExportAuditTrail(db, file, keepGoing); }});
}

} // namespace Tabrix
