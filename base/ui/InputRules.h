#pragma once
#include <QFocusEvent>
#include <QKeyEvent>
#include <QString>

namespace Tabrix {

// Focus that comes or goes with another window (a message box, a menu) is no
// entering or leaving of a box by the user.
inline bool FocusByTheUser(const QEvent *focusEvent)
{
    const auto reason = static_cast<const QFocusEvent *>(focusEvent)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// A typed character that one of the characters of `refused` keeps out of a box.
inline bool IsRefusedCharacter(const QKeyEvent *key, const QString &refused)
{
    const QString typed = key->text();
    return !typed.isEmpty() && typed.front().isPrint() && refused.contains(typed.front());
}

} // namespace Tabrix
