#include "editor/CaptureBuffer.h"
#include "labels/Template.h"

namespace Tabrix {

void CaptureBuffer::clear()
{
    m_text.clear();
    m_converted.clear();
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
    // Measured before it is made: a refused text is never built.
    if (EncodedLength(m_text) > m_bound) {
        m_text = m_converted;
        return false;
    }
    m_text = EncodeEscapes(m_text).toLatin1();
    m_converted = m_text;
    return true;
}

} // namespace Tabrix
