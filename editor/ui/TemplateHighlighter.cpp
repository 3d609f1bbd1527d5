#include "editor/ui/TemplateHighlighter.h"
#include "editor/ColorScan.h"

#include <QTextDocument>

namespace Tabrix {

namespace {

int encode(const ColorScanState &s)
{
    return (s.open + 1) | (s.quoted ? 4 : 0);
}

ColorScanState decode(int state)
{
    ColorScanState s;
    if (state >= 0) {
        s.open = (state & 3) - 1;
        s.quoted = state & 4;
    }
    return s;
}

QTextCharFormat formatOf(int kind)
{
    QTextCharFormat f;
    f.setForeground(TemplateHighlighter::colorOf(kind));
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    f.setFontStrikeOut(false);
    return f;
}

} // namespace

QColor TemplateHighlighter::colorOf(int kind)
{
    switch (kind) {
    case TColorSpan::Tag: return QColor(255, 0, 0);
    case TColorSpan::Escape: return QColor(0, 128, 0);
    case TColorSpan::Comment: return QColor(128, 0, 128);
    default: return QColor(0, 0, 0);
    }
}

void TemplateHighlighter::highlightBlock(const QString &text)
{
    ColorScanState state = decode(previousBlockState());
    if (currentBlock().blockNumber() > 0)
        state.previous = u'\n'; // the line break before this line
    qint32 start = 0;
    const auto colour = [&](qint32 from, qint32 to, int kind) {
        from = std::max<qint32>(from, 0);
        if (to > from)
            setFormat(from, to - from, formatOf(kind));
    };
    for (qint32 i = 0; i < text.size(); ++i) {
        const int kind = state.open;
        if (ScanColorChar(state, text[i], i, start))
            colour(start, i + 1, kind);
    }
    if (state.open >= 0) {
        colour(start, qint32(text.size()), state.open);
        // The line break belongs to the text too: CR LF closes a comment.
        if (currentBlock().next().isValid()) {
            ScanColorChar(state, u'\r', qint32(text.size()), start);
            ScanColorChar(state, u'\n', qint32(text.size()) + 1, start);
        }
    }
    setCurrentBlockState(encode(state));
}

} // namespace Tabrix
