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
    QStringList unreadable; // of a damaged register
    try {
        ExportProgress progress(parent, QStringLiteral("Export"), QStringLiteral("patients"));
        done = ExportRegister(db, file, [&](qint64 written, qint64 total) { return progress.update(written, total); },
                              &unreadable);
    } catch (const ETabrixError &e) {
        QApplication::restoreOverrideCursor();
        ShowError(e.message());
        return {};
    }
    QApplication::restoreOverrideCursor();
    if (!done) // a cancelled export left everything as it was
        return {};
    prompter().inform(QStringLiteral("Export complete"));
    if (!unreadable.isEmpty())
        ShowError(QStringLiteral("The register is damaged: %1 registration%2 could not be read and %3 not in %4: %5. "
                                 "Every other registration is. Register those again from their labels or forms, and "
                                 "restore the register from its last backup.")
                      .arg(unreadable.size())
                      .arg(unreadable.size() == 1 ? QString() : QStringLiteral("s"),
                           unreadable.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"), file,
                           unreadable.join(QStringLiteral(", "))));
    return file;
}

} // namespace Tabrix
