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
    }
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
    double m_cell = ReferenceSize, m_ascent = ReferenceSize * 0.8;
    QHash<QChar, std::pair<QPainterPath, double>> m_glyphs;
};

// Read on first use and kept to the end of the program (never destroyed: the font
// system may be gone by then).
Face &sans()
{
    static Face *face = new Face("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", "Liberation Sans");
    return *face;
}

Face &mono()
{
    static Face *face = new Face("/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf", "Liberation Mono");
    return *face;
}

// Font 0's letters are narrower than the outline face's: at equal height and width
// they take about this share of the face's advance.
constexpr double ScalableNarrowing = 0.8;

struct Metrics {
    bool bitmap = false;
    double cellHeight = 0, scaleX = 0, scaleY = 0, pitch = 0; // pitch: bitmap fonts' advance
};

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
        return m;
    }
    const double h = font.height > 0 ? font.height : 9;
    const double w = font.width > 0 ? font.width : h;
    m.cellHeight = h;
    m.scaleY = h / sans().cell();
    m.scaleX = m.scaleY * (w / h) * ScalableNarrowing;
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
        width += sans().glyph(c).second * m.scaleX;
    return width;
}

TextLine LayOutText(const QString &text, const ZplFont &font)
{
    const Metrics m = metricsOf(font);
    Face &face = m.bitmap ? mono() : sans();
    TextLine line;
    line.height = m.cellHeight;
    line.baseline = face.ascent() * m.scaleY;
    double x = 0;
    for (QChar c : text) {
        const auto [path, advance] = face.glyph(c);
        QTransform t;
        t.translate(x, line.baseline);
        t.scale(m.scaleX, m.scaleY);
        line.outline.addPath(t.map(path));
        x += m.bitmap ? m.pitch : advance * m.scaleX;
    }
    line.advance = x;
    return line;
}

} // namespace Tabrix
