#include "base/ui/SaveFileDialog.h"

#include "base/Prompter.h"
#include "base/ui/ExportProgress.h"

#include <QDir>
#include <QFileDialog>

namespace Tabrix {

QString AskFileToSave(QWidget *parent, const QString &objectName, const QString &title, const QString &suggested,
                      const QString &filter, const QString &suffix)
{
    QFileDialog dialog(parent, title, suggested, filter);
    dialog.setObjectName(objectName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void ExportTableToCsv(QWidget *parent, const QString &folder, const TableExport &e)
{
    const QString file = AskFileToSave(parent, e.objectName, e.title, QDir(folder).filePath(e.fileName),
                                       QStringLiteral("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (file.isEmpty())
        return;
    ExportProgress progress(parent, e.title, e.counted);
    if (e.write(file, [&](qint64 written, qint64 total) { return progress.update(written, total); }))
        prompter().inform(e.doneText.arg(QDir::toNativeSeparators(file)));
}

} // namespace Tabrix
