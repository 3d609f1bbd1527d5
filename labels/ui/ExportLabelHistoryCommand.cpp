#include "labels/ui/ExportLabelHistoryCommand.h"
#include "base/Prompter.h"
#include "base/ui/ExportProgress.h"
#include "base/ui/SaveFileDialog.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"

#include <QDir>

namespace Tabrix {

void ExportLabelHistory1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder)
{
    if (!LabelLedger(db).present()) {
        ShowError(LabelLedger::missingText());
        return;
    }
    const QString file = AskFileToSave(parent, QStringLiteral("SaveLabelHistory"), QStringLiteral("Export Label History"),
                                       QDir(folder).filePath(QStringLiteral("label_history.csv")),
                                       QStringLiteral("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (file.isEmpty())
        return;
    ExportProgress progress(parent, QStringLiteral("Export Label History"), QStringLiteral("labels"));
    const bool done = ExportLabelHistory(db, file, [&](qint64 written, qint64 total) { return progress.update(written, total); });
    if (done)
        prompter().inform(QStringLiteral("The label history is in %1").arg(QDir::toNativeSeparators(file)));
}

} // namespace Tabrix
