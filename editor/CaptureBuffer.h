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
    // Converts the bytes taken since the last conversion into template text after
    // what that one made (text already converted is never converted again). When
    // the text would pass the bound, false: the capture goes back to what the last
    // conversion left.
    bool convert();

private:
    qsizetype m_bound;
    QByteArray m_text;
    qsizetype m_converted = 0; // how much of m_text is template text already
};

} // namespace Tabrix
