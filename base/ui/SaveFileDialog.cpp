#include "base/ui/SaveFileDialog.h"

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

} // namespace Tabrix
