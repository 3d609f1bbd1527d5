#include "log/ui/ExportCommand.h"
#include "base/Prompter.h"
#include "base/ui/ExportProgress.h"
#include "register/RecordLifecycle.h"
#include "log/RegisterExport.h"

#include <QApplication>
#include <QFileDialog>

namespace Tabrix {

QString Export1Click(QWidget *parent, RecordLifecycle &lifecycle, const QSqlDatabase &db, const QString &folder)
{
    lifecycle.TryPost(); // whatever it reports, the export goes on
    QFileDialog SaveDialog1(parent, QString(), folder, QStringLiteral("Text Files (*.txt)"));
    SaveDialog1.setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1.setOption(QFileDialog::DontConfirmOverwrite);
    SaveDialog1.setDefaultSuffix(QStringLiteral("txt"));
    if (SaveDialog1.exec() != QDialog::Accepted || SaveDialog1.selectedFiles().isEmpty())
        return {};
    const QString file = SaveDialog1.selectedFiles().constFirst();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool done = false;
    try {
        ExportProgress progress(parent, QStringLiteral("Export"), QStringLiteral("patients"));
        done = ExportRegister(db, file,
                              [&](qint64 written, qint64 total) { return progress.update(written, total); });
    } catch (const ETabrixError &e) {
        QApplication::restoreOverrideCursor();
        ShowError(e.message());
        return {};
    }
    QApplication::restoreOverrideCursor();
    if (!done) // a cancelled export left everything as it was
        return {};
    prompter().inform(QStringLiteral("Export complete"));
    return file;
}

} // namespace Tabrix
