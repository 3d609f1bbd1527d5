#pragma once
#include <QString>

namespace Tabrix {

// Hands a file path, web address or "mailto:" address to the desktop's default
// application; a failure is shown in the error box in words.
void ShellOpen(const QString &target);

} // namespace Tabrix
