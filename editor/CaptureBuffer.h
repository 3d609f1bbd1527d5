#pragma once
#include <QByteArray>
#include <QByteArrayView>

namespace Tabrix {

// The label being captured: the bytes senders wrote, turned into template text
// (escapes) when a sender closes. The capture comes from any host on the network,
// so neither the bytes taken nor the text a conversion makes may pass the bound:
// what would pass it is refused and the capture stays as it was.
class CaptureBuffer {
public:
    static constexpr qsizetype DefaultBound = 16 * 1024 * 1024;
    explicit CaptureBuffer(qsizetype bound = DefaultBound) : m_bound(bound) {}

    qsizetype bound() const { return m_bound; }
    const QByteArray &text() const { return m_text; }
    void clear();

    // Adds bytes a sender wrote; false (nothing taken) when they would pass the bound.
    bool append(QByteArrayView bytes);
    // Converts the whole capture into template text. When the text would pass the
    // bound, false: the capture goes back to what it was after the last conversion.
    bool convert();

private:
    qsizetype m_bound;
    QByteArray m_text;
    QByteArray m_converted; // the capture as the last conversion left it
};

} // namespace Tabrix
