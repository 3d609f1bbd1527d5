#pragma once
#include <QPainterPath>
#include <QString>

namespace Tabrix {

// A printer font as a field asks for it: the scalable font 0 at any height and
// width, or one of the bitmap fonts A-H, magnified by whole numbers.
struct ZplFont {
    char name = 'A';
    int height = 0, width = 0; // in dots; 0: the font's own size
};

// A line of text in dots: the outline of its letters, with the top of the
// character cell at y = 0, and how far it reaches and stands.
struct TextLine {
    QPainterPath outline;
    double advance = 0; // width of the line
    double height = 0;  // height of the character cell
    double baseline = 0;
};

// Printer fonts are approximated: font 0 by Roboto Condensed Bold at the
// printer's character widths; the bitmap fonts by Liberation Mono Bold fitted
// into their cells.
TextLine LayOutText(const QString &text, const ZplFont &font);
// Reads the faces now, on the calling thread (the windows' thread, before labels
// are drawn on others: the font system answers there).
void LoadPreviewFonts();
double TextWidth(const QString &text, const ZplFont &font);
// The height of a line of this font (the cell, magnified).
double LineHeight(const ZplFont &font);

} // namespace Tabrix
