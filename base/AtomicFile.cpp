#include "base/AtomicFile.h"

#include <QFileInfo>

namespace Tabrix {

AtomicFileWriter::AtomicFileWriter(const QString &path)
    : m_out(path)
{
    const QFileInfo info(path);
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        m_error = QStringLiteral("The file is read-only.");
    else if (!m_out.open(QIODevice::WriteOnly))
        m_error = m_out.errorString();
}

QString AtomicFileWriter::write(const QByteArray &bytes)
{
    if (m_error.isEmpty() && m_out.write(bytes) != bytes.size())
        m_error = m_out.errorString();
    return m_error;
}

QString AtomicFileWriter::commit()
{
    if (m_error.isEmpty() && !m_out.commit())
        m_error = m_out.errorString();
    return m_error;
}

QString WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter out(path);
    out.write(bytes);
    return out.commit();
}

} // namespace Tabrix
