#include "labels/ui/ExportLabelHistoryCommand.h"
#include "app/base/Prompter.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"

#include <QDir>
#include <QFileDialog>
#include <QProgressDialog>

namespace Tabrix {

void ExportLabelHistory1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder)
{
    if (!LabelLedger(db).present()) {
        ShowError(LabelLedger::missingText());
        return;
    }
    QFileDialog dialog(parent, QStringLiteral("Export Label History"), QDir(folder).filePath(QStringLiteral("label_history.csv")),
                       QStringLiteral("CSV Files (*.csv)"));
    dialog.setObjectName(QStringLiteral("SaveLabelHistory"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().constFirst();
    // Shown only for an export that takes more than half a second.
    QProgressDialog progress(QStringLiteral("Exporting the label history..."), QStringLiteral("Cancel"), 0, 100, parent);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export Label History"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const bool done = ExportLabelHistory(db, file, [&](qint64 written, qint64 total) {
        progress.setMaximum(int(std::min<qint64>(total, INT_MAX)));
        progress.setValue(int(std::min<qint64>(written, INT_MAX)));
        progress.setLabelText(QStringLiteral("%1 of %2 labels written").arg(written).arg(total));
        return !progress.wasCanceled();
    });
    progress.close();
    if (done)
        prompter().inform(QStringLiteral("The label history is in %1").arg(QDir::toNativeSeparators(file)));
}

} // namespace Tabrix
