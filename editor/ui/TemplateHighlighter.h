#pragma once
#include <QSyntaxHighlighter>

namespace Tabrix {

// Colours the template editor's markup as the colouring scan finds it: tags red,
// escapes green, comments purple, in the plain style. It works a line at a time,
// carrying the scan's state from line to line, so a keystroke recolours only what
// it changes; a span still open at the end of the text is coloured to the end.
class TemplateHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;
    static QColor colorOf(int kind);

protected:
    void highlightBlock(const QString &text) override;
};

} // namespace Tabrix
