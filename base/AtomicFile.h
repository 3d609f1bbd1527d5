#pragma once
#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace Tabrix {

// A file written in parts that replaces the file at `path` only when committed (a
// temporary file beside it, renamed into place), so a failed or abandoned write
// never leaves half a file under that name and the file before stays as it was.
// A file whose owner-write permission is off counts as read-only, even for root.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString &path);
    // Each returns an empty text while all is well, else why the file cannot be
    // written; after a failure nothing more is written.
    QString write(const QByteArray &bytes);
    QString commit();

private:
    QSaveFile m_out;
    QString m_error;
};

// Replaces the file at `path` with `bytes` at once, as AtomicFileWriter does.
// Returns an empty text on success, else the reason it failed.
QString WriteFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace Tabrix
