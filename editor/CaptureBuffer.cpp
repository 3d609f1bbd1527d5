#include "editor/CaptureBuffer.h"
#include "labels/Template.h"

namespace Tabrix {

void CaptureBuffer::clear()
{
    m_text.clear();
    m_converted = 0;
}

bool CaptureBuffer::append(QByteArrayView bytes)
{
    if (m_text.size() + bytes.size() > m_bound)
        return false;
    m_text.append(bytes);
    return true;
}

bool CaptureBuffer::convert()
{
    const QByteArray received = m_text.mid(m_converted);
    m_text.truncate(m_converted);
    // Measured before it is made: a refused text is never built.
    if (m_converted + EncodedLength(received) > m_bound)
        return false;
    m_text += EncodeEscapes(received).toLatin1();
    m_converted = m_text.size();
    return true;
}

} // namespace Tabrix
