#pragma once
#include <QString>

class QWidget;

namespace Tabrix {

// Asks where an export goes: a save dialog named `objectName` (tests find it by
// that name) titled `title`, starting at `suggested` and offering `filter`; a name
// typed without an extension gets `suffix`. The chosen file, or empty when cancelled.
QString AskFileToSave(QWidget *parent, const QString &objectName, const QString &title, const QString &suggested,
                      const QString &filter, const QString &suffix);

} // namespace Tabrix
