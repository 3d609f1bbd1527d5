#include "editor/ColorScan.h"

namespace Tabrix {

bool ScanColorChar(ColorScanState &s, QChar c, qint32 offset, qint32 &spanStart)
{
    bool closed = false;
    if (s.open < 0) {
        if (c == u'<') {
            s.open = TColorSpan::Tag;
            spanStart = offset;
        } else if (c == u'[') {
            s.open = TColorSpan::Escape;
            spanStart = offset;
        } else if (c == u'/' && s.previous == u'/') {
            s.open = TColorSpan::Comment;
            spanStart = offset - 1; // from the first of the two slashes
        }
    } else if (c == u'"') {
        s.quoted = !s.quoted;
    } else if (!s.quoted) {
        closed = (c == u'>' && s.open == TColorSpan::Tag) || (c == u']' && s.open == TColorSpan::Escape)
                 || ((c == u'\r' || c == u'\n') && s.open == TColorSpan::Comment);
        if (closed)
            s.open = -1;
    }
    s.previous = c;
    return closed;
}

QList<TColorSpan> ScanColorSpans(const QString &text)
{
    QList<TColorSpan> spans;
    ColorScanState state;
    qint32 start = 0;
    for (qint32 i = 0; i < text.size(); ++i) {
        const int kind = state.open;
        if (ScanColorChar(state, text[i], i, start))
            spans << TColorSpan{start, i - start + 1, quint8(kind)};
    }
    if (state.open >= 0)
        spans << TColorSpan{start, qint32(text.size()) - start, quint8(state.open)};
    return spans;
}

} // namespace Tabrix
