#include "labels/ui/ExportLabelHistoryCommand.h"
#include "base/Prompter.h"
#include "base/ui/SaveFileDialog.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"

namespace Tabrix {

void ExportLabelHistory1Click(QWidget *parent, const QSqlDatabase &db, const QString &folder)
{
    if (!LabelLedger(db).present()) {
        ShowError(LabelLedger::missingText());
        return;
    }
    ExportTableToCsv(parent, folder,
                     {QStringLiteral("Export Label History"), QStringLiteral("SaveLabelHistory"),
                      QStringLiteral("label_history.csv"), QStringLiteral("labels"),
                      QStringLiteral("The label history is in %1"),
                      [&](const QString &file, const auto &keepGoing) { return ExportLabelHistory(db, file, keepGoing); }});
}

} // namespace Tabrix
