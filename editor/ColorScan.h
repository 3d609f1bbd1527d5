#pragma once
#include <QList>
#include <QString>

namespace Tabrix {

// One coloured stretch of the editor text. Offsets count line breaks as CR LF, two
// characters each.
struct TColorSpan {
    enum Kind : quint8 { Tag = 0, Escape = 1, Comment = 2 };
    qint32 Start;
    qint32 Length;
    quint8 Kind;
    bool operator==(const TColorSpan &) const = default;
};

// The scan's state between two characters, so the text can also be scanned a line
// at a time (the editor colours only the lines that change).
struct ColorScanState {
    int open = -1;         // the kind of the open span, or -1
    bool quoted = false;   // inside double quotes
    QChar previous;        // the character before
    bool operator==(const ColorScanState &) const = default;
};

// Feeds one character at `offset`; returns true when it closes the open span.
// `spanStart` is where the open span began.
bool ScanColorChar(ColorScanState &state, QChar c, qint32 offset, qint32 &spanStart);

// Tags ("<" to ">"), escapes ("[" to "]") and comments ("//" to the line break) of
// a text, in the order they open. A ">" or "]" between double quotes does not
// close its span. A span still open at the end of the text runs to its end.
QList<TColorSpan> ScanColorSpans(const QString &textWithCrLf);

} // namespace Tabrix
