#pragma once
#include <QByteArray>
#include <QString>

namespace Tabrix {

// Replaces the file at `path` with `bytes` at once (a temporary file beside it,
// renamed into place), so a failed write never leaves half a file under that
// name. A file whose owner-write permission is off counts as read-only, even for
// root. Returns an empty text on success, else the reason it failed.
QString WriteFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace Tabrix
