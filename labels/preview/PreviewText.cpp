#include "labels/preview/PreviewText.h"

#include <QFile>
#include <QHash>
#include <mutex>
#include <QRawFont>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace Tabrix {

namespace {

constexpr double ReferenceSize = 100; // glyph outlines are read once at this size

struct BitmapFont { char name; int height, width, gap; };
// The bitmap fonts' cells and letter spacing at 8 dots per millimetre.
constexpr BitmapFont BitmapFonts[] = {
    {'A', 9, 5, 1}, {'B', 11, 7, 2}, {'C', 18, 10, 2}, {'D', 18, 10, 2},
    {'E', 28, 15, 5}, {'F', 26, 13, 3}, {'G', 60, 40, 8}, {'H', 21, 13, 6},
};

const BitmapFont *bitmapFont(char name)
{
    for (const BitmapFont &f : BitmapFonts)
        if (f.name == name)
            return &f;
    return nullptr;
}

// One outline face, its glyphs read once. Labels may be drawn on several threads
// at once (a print's check beside the editor's pane): the glyphs are read under a lock.
class Face {
public:
    explicit Face(const char *file, const char *family)
    {
        if (QFile::exists(QString::fromLatin1(file)))
            m_font = QRawFont(QString::fromLatin1(file), ReferenceSize);
        if (!m_font.isValid()) {
            QFont f(QString::fromLatin1(family));
            f.setBold(true);
            f.setPixelSize(int(ReferenceSize));
            m_font = QRawFont::fromFont(f);
        }
        // ascent + descent: the character cell
        m_cell = m_font.isValid() ? m_font.ascent() + m_font.descent() : ReferenceSize;
        m_ascent = m_font.isValid() ? m_font.ascent() : ReferenceSize * 0.8;
        m_capHeight = m_font.isValid() && m_font.capHeight() > 0 ? m_font.capHeight() : ReferenceSize * 0.7;
    }
    double capHeight() const { return m_capHeight; }
    double cell() const { return m_cell; }
    double ascent() const { return m_ascent; }
    // The outline and advance of one character at the reference size.
    std::pair<QPainterPath, double> glyph(QChar c)
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_glyphs.find(c);
        if (it == m_glyphs.end()) {
            QPainterPath path;
            double advance = ReferenceSize / 2;
            if (m_font.isValid()) {
                const QList<quint32> ids = m_font.glyphIndexesForString(QString(c));
                if (!ids.isEmpty()) {
                    path = m_font.pathForGlyph(ids[0]);
                    const QList<QPointF> advances = m_font.advancesForGlyphIndexes(ids);
                    if (!advances.isEmpty())
                        advance = advances[0].x();
                }
            }
            it = m_glyphs.insert(c, {path, advance});
        }
        return *it;
    }

private:
    std::mutex m_lock;
    QRawFont m_font;
    double m_cell = ReferenceSize, m_ascent = ReferenceSize * 0.8, m_capHeight = ReferenceSize * 0.7;
    QHash<QChar, std::pair<QPainterPath, double>> m_glyphs;
};

// Read on first use and kept to the end of the program (never destroyed: the font
// system may be gone by then).
Face &sans()
{
    static Face *face = new Face("/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf", "Roboto Condensed");
    return *face;
}

Face &mono()
{
    static Face *face = new Face("/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf", "Liberation Mono");
    return *face;
}

// Font 0 is drawn with the outlines of Roboto Condensed Bold (of the condensed
// bold faces Debian has, the nearest to the printer's) set at the printer's own
// widths: capitals three quarters of the font's height, their tops at the top of
// the field, and each character as wide as the table says, in thousandths of the
// font's width, for the printable ASCII characters from the space on (0: the
// outline's own, narrowed as the rest). A character's outline is stretched to its
// width. The README says how the widths were measured.
constexpr double CapShare = 0.75;
constexpr double ScalableNarrowing = 0.95; // the face narrowed to the printer's widths, on average
constexpr short Font0Widths[95] = {
    250, 335, 335, 500, 500, 835, 665, 250, 335, 335, 500, 500, 335, 800, 335, 280, // space to /
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 280, 280, 500, 500, 500, 500, // 0 to ?
    835, 555, 555, 555, 610, 500, 500, 610, 610, 280, 445, 555, 500, 780, 610, 610, // @ to O
    555, 610, 610, 555, 500, 610, 555, 835, 555, 555, 500, 335, 500, 335, 0,   500, // P to _
    335, 500, 500, 445, 500, 500, 280, 500, 500, 280, 280, 445, 280, 780, 500, 500, // ` to o
    500, 500, 335, 445, 280, 500, 445, 665, 445, 445, 390, 275, 250, 275, 0,        // p to ~
};

// The printer's width of `c` in font 0, in thousandths of the font's width; 0: none in the table.
int font0Width(QChar c)
{
    const ushort u = c.unicode();
    return u >= 32 && u < 127 ? Font0Widths[u - 32] : 0;
}

struct Metrics {
    bool bitmap = false;
    double cellHeight = 0, scaleX = 0, scaleY = 0, pitch = 0; // pitch: bitmap fonts' advance
    double baseline = 0;
    double width = 0; // font 0's width, for its table of character widths
};

// How far one character of the font advances, and how much its outline is
// stretched horizontally to take that room.
std::pair<double, double> advanceOf(const Metrics &m, double faceAdvance, QChar c)
{
    if (m.bitmap)
        return {m.pitch, m.scaleX};
    if (const int share = font0Width(c); share > 0 && faceAdvance > 0) {
        const double advance = share * m.width / 1000.0;
        return {advance, advance / faceAdvance};
    }
    return {faceAdvance * m.scaleX, m.scaleX};
}

Metrics metricsOf(const ZplFont &font)
{
    Metrics m;
    if (const BitmapFont *b = bitmapFont(font.name)) {
        const int mh = std::max(1, int(std::lround(double(font.height > 0 ? font.height : b->height) / b->height)));
        const int mw = font.width > 0 ? std::max(1, int(std::lround(double(font.width) / b->width))) : mh;
        m.bitmap = true;
        m.cellHeight = b->height * mh;
        m.scaleY = m.cellHeight / mono().cell();
        m.scaleX = double(b->width * mw) / (ReferenceSize * 0.6); // the mono face's advance is 0.6 em
        m.pitch = (b->width + b->gap) * mw;
        m.baseline = mono().ascent() * m.scaleY;
        return m;
    }
    const double h = font.height > 0 ? font.height : 9;
    const double w = font.width > 0 ? font.width : h;
    m.cellHeight = h;
    m.scaleY = CapShare * h / sans().capHeight();
    m.width = w;
    m.scaleX = m.scaleY * (w / h) * ScalableNarrowing;
    m.baseline = CapShare * h;
    return m;
}

} // namespace

void LoadPreviewFonts()
{
    sans();
    mono();
}

double LineHeight(const ZplFont &font)
{
    return metricsOf(font).cellHeight;
}

double TextWidth(const QString &text, const ZplFont &font)
{
    const Metrics m = metricsOf(font);
    if (m.bitmap)
        return m.pitch * text.size();
    double width = 0;
    for (QChar c : text)
        width += advanceOf(m, sans().glyph(c).second, c).first;
    return width;
}

TextLine LayOutText(const QString &text, const ZplFont &font)
{
    const Metrics m = metricsOf(font);
    Face &face = m.bitmap ? mono() : sans();
    TextLine line;
    line.height = m.cellHeight;
    line.baseline = m.baseline;
    double x = 0;
    for (QChar c : text) {
        const auto [path, faceAdvance] = face.glyph(c);
        const auto [advance, scaleX] = advanceOf(m, faceAdvance, c);
        QTransform t;
        t.translate(x, line.baseline);
        t.scale(scaleX, m.scaleY);
        line.outline.addPath(t.map(path));
        x += advance;
    }
    line.advance = x;
    return line;
}

} // namespace Tabrix
