#include "app/ui/ShellOpen.h"
#include "base/Prompter.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace Tabrix {

void ShellOpen(const QString &target)
{
    const QUrl url = QUrl::fromUserInput(target);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        ShowError(QStringLiteral("The specified file was not found."));
        return;
    }
    if (!QDesktopServices::openUrl(url))
        ShowError(QStringLiteral("There is no application associated with the given filename extension."));
}

} // namespace Tabrix
