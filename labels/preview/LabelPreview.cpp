#include "labels/preview/LabelPreview.h"
#include "labels/preview/PreviewBarcodes.h"
#include "labels/preview/PreviewText.h"
#include "labels/preview/ZplStream.h"

#include <QPainter>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainterPath>
#include <QSet>
#include <QStringDecoder>
#include <QTransform>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <optional>

namespace Tabrix {

namespace {

constexpr int MaxCoordinate = 32000;     // the printer's own limit for positions and sizes
constexpr qsizetype MaxFieldChars = 4000; // a field's text beyond this is not drawn

// Settings that change how the printer runs, not what the label shows.
const QSet<QByteArray> &silentCommands()
{
    static const QSet<QByteArray> codes = {"MM", "MN", "MT", "MD", "SD", "PR", "JU", "TA", "MF", "SZ", "JZ", "XB", "PF"};
    return codes;
}

enum class Paint { Black, White, Invert };

struct Block {
    int width = 0, lines = 1, spacing = 0, indent = 0;
    char justify = 'L';
};

struct BarcodeField {
    Symbology kind = Symbology::Code128;
    char command = 'C'; // C, 3, X, Q, 7
    char orientation = 0;
    int height = 0, module = 0, security = 0, columns = 0, rows = 0;
    bool line = true, lineAbove = false, checkDigit = false;
};

struct Graphic {
    bool circle = false;
    int width = 1, height = 1, thickness = 1, rounding = 0;
    bool white = false;
};

// One field as it was when its ^FS came.
struct Field {
    QPoint at;
    bool typeset = false; // ^FT: the origin is the baseline, not the top-left corner
    ZplFont font;
    char orientation = 'N';
    std::optional<Block> block;
    std::optional<BarcodeField> barcode;
    std::optional<Graphic> graphic;
    QByteArray data;
    bool hasData = false, reverse = false;
    char hexIndicator = 0;
    int charset = 0;
};

bool isOrientation(char c)
{
    return c == 'N' || c == 'R' || c == 'I' || c == 'B';
}

// Where a field's box (length x depth, in reading direction) lands: with ^FO its
// turned box's top-left corner is the origin; with ^FT the point `reference` is.
QTransform placement(const Field &f, double length, double depth, QPointF reference)
{
    const double x = f.at.x(), y = f.at.y();
    QTransform t;
    if (!f.typeset) {
        switch (f.orientation) {
        case 'R': t.translate(x + depth, y).rotate(90); break;
        case 'I': t.translate(x + length, y + depth).rotate(180); break;
        case 'B': t.translate(x, y + length).rotate(270); break;
        default: t.translate(x, y); break;
        }
        return t;
    }
    switch (f.orientation) {
    case 'R': t.translate(x, y).rotate(90); break;
    case 'I': t.translate(x, y).rotate(180); break;
    case 'B': t.translate(x, y).rotate(270); break;
    default: t.translate(x, y); break;
    }
    return t.translate(-reference.x(), -reference.y());
}

QString decodeText(const QByteArray &bytes, int charset)
{
    if (charset == 28)
        return QStringDecoder(QStringDecoder::Utf8).decode(bytes);
    return QString::fromLatin1(bytes);
}

QByteArray unescapeHex(const QByteArray &data, char indicator)
{
    if (!indicator)
        return data;
    QByteArray out;
    out.reserve(data.size());
    const auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == indicator && i + 2 < data.size() && hex(data[i + 1]) >= 0 && hex(data[i + 2]) >= 0) {
            out += char(hex(data[i + 1]) * 16 + hex(data[i + 2]));
            i += 2;
        } else {
            out += data[i];
        }
    }
    return out;
}

// The words of a field block's lines: "\&" breaks a line, and words wrap at the
// block's width.
QList<QStringList> wrap(const QString &text, const ZplFont &font, const Block &block)
{
    QList<QStringList> lines;
    const double space = TextWidth(QStringLiteral(" "), font);
    for (const QString &paragraph : text.split(QStringLiteral("\\&"))) {
        QStringList line;
        double width = 0;
        for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            const double w = TextWidth(word, font);
            const double indent = lines.isEmpty() ? 0 : block.indent;
            if (!line.isEmpty() && width + space + w + indent > block.width) {
                lines << line;
                line.clear();
                width = 0;
                if (lines.size() >= MaxBlockLines)
                    return lines;
            }
            width += (line.isEmpty() ? 0 : space) + w;
            line << word;
        }
        lines << line;
        if (lines.size() >= MaxBlockLines)
            break;
    }
    return lines;
}

class Renderer {
public:
    explicit Renderer(const PreviewOptions &options) : m_options(options) {}

    LabelPreview run(const QByteArray &bytes)
    {
        if (!bytes.toUpper().contains("^XA")) {
            m_result.error = QString::fromLatin1(NotPreviewable);
            m_result.notZpl = true;
            return m_result;
        }
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            m_result.error = QStringLiteral("Labels cannot be drawn by a program without its window system");
            return m_result; // letters are drawn through the font system, which a Gui application starts
        }
        m_clock.start();
        int count = 0;
        ForEachZplCommand(bytes, [&](const ZplCommand &c) {
            command(c);
            return !m_costly && (++count % 256 != 0 || !expired());
        });
        if (m_inLabel && !m_costly)
            endLabel();
        if (m_costly) {
            LabelPreview costly;
            costly.error = QString::fromLatin1(TooCostly);
            costly.tooCostly = true;
            return costly;
        }
        if (m_skipped)
            m_result.labels.last().notShown << QStringLiteral("the labels after the %1th").arg(MaxPictures);
        return m_result;
    }

private:
    // The drawing has taken too long or is no longer wanted; it stops as too costly.
    bool expired()
    {
        if (m_clock.hasExpired(m_options.timeLimitMs) || (m_options.cancel && m_options.cancel->load()))
            m_costly = true;
        return m_costly;
    }

    void note(const QString &what)
    {
        if (!m_notShown.contains(what))
            m_notShown << what;
    }

    void command(const ZplCommand &c)
    {
        const ZplParams p(c.params);
        const QByteArray &code = c.code;
        if (code == "XA") {
            m_inLabel = true;
            m_fields.clear();
            m_notShown.clear();
            m_copies = 1;
            m_field = newField();
        } else if (code == "XZ") {
            if (m_inLabel)
                endLabel();
        } else if (code == "FO" || code == "FT") {
            m_field.at = m_home + QPoint(p.number(0, 0, 0, MaxCoordinate), p.number(1, 0, 0, MaxCoordinate));
            m_field.typeset = code == "FT";
        } else if (code == "FD" || code == "FV") {
            m_field.data = c.params;
            m_field.hasData = true;
        } else if (code == "FH") {
            m_field.hexIndicator = c.params.isEmpty() ? '_' : c.params[0];
        } else if (code == "FR") {
            m_field.reverse = true;
        } else if (code == "FB") {
            Block b;
            b.width = p.number(0, 0, 0, MaxCoordinate);
            b.lines = p.number(1, 1, 1, MaxBlockLines);
            b.spacing = p.number(2, 0, -9999, 9999);
            b.justify = p.letter(3, 'L');
            b.indent = p.number(4, 0, 0, 9999);
            m_field.block = b;
        } else if (code == "FW") {
            if (const char o = p.letter(0, 'N'); isOrientation(o))
                m_orientation = o;
            m_field.orientation = m_orientation;
        } else if (code == "A") {
            font(c.params);
        } else if (code == "CF") {
            m_font = {p.letter(0, m_font.name), p.number(1, 0, 0, 2000), p.number(2, 0, 0, 2000)};
            if (!std::isalnum(static_cast<unsigned char>(m_font.name)))
                m_font.name = 'A';
            m_field.font = m_font;
        } else if (code == "BY") {
            m_module = p.number(0, m_module, 1, 10);
            m_ratio = p.real(1, m_ratio, 2.0, 3.0);
            m_barHeight = p.number(2, m_barHeight, 1, MaxCoordinate);
        } else if (code == "BC" || code == "B3" || code == "BX" || code == "BQ" || code == "B7") {
            barcode(code[1], p);
        } else if (code == "GB" || code == "GC") {
            Graphic g;
            g.circle = code == "GC";
            if (g.circle) {
                g.width = g.height = p.number(0, 3, 3, 4095);
                g.thickness = p.number(1, 1, 1, 4095);
                g.white = p.letter(2, 'B') == 'W';
            } else {
                g.thickness = p.number(2, 1, 1, MaxCoordinate);
                g.width = std::max(p.number(0, g.thickness, 1, MaxCoordinate), g.thickness);
                g.height = std::max(p.number(1, g.thickness, 1, MaxCoordinate), g.thickness);
                g.white = p.letter(3, 'B') == 'W';
                g.rounding = p.number(4, 0, 0, 8);
            }
            m_field.graphic = g;
        } else if (code == "FS") {
            if (m_inLabel && (m_field.hasData || m_field.graphic)) {
                m_fields << m_field;
                m_costly = m_costly || m_fields.size() > MaxFields;
            }
            m_field = newField();
        } else if (code == "LH") {
            m_home = QPoint(p.number(0, 0, 0, MaxCoordinate), p.number(1, 0, 0, MaxCoordinate));
        } else if (code == "LR") {
            m_reverseAll = p.letter(0, 'N') == 'Y';
            m_field.reverse = m_field.reverse || m_reverseAll;
        } else if (code == "PW") {
            m_width = p.number(0, m_width, 2, MaxCoordinate);
        } else if (code == "LL") {
            m_length = p.number(0, m_length, 1, MaxCoordinate);
        } else if (code == "PQ") {
            m_copies = p.number(0, 1, 1, 99999999);
        } else if (code == "CI") {
            m_charset = p.number(0, 0, 0, 36);
            m_field.charset = m_charset;
        } else if (code == "FX" || silentCommands().contains(code)) {
            // a comment, or a setting of the printer that the picture does not show
        } else {
            note(QString::fromLatin1(QByteArray(1, c.prefix) + code));
        }
    }

    Field newField() const
    {
        Field f;
        f.at = m_home;
        f.font = m_font;
        f.orientation = m_orientation;
        f.reverse = m_reverseAll;
        f.charset = m_charset;
        return f;
    }

    void font(const QByteArray &params)
    {
        const char name = params.isEmpty() ? '0' : char(std::toupper(static_cast<unsigned char>(params[0])));
        if (!std::isalnum(static_cast<unsigned char>(name))) {
            note(QStringLiteral("^A") + QLatin1Char(name));
            return;
        }
        const ZplParams p(params.mid(1));
        m_field.font = {name, p.number(1, 0, 0, 2000), p.number(2, 0, 0, 2000)};
        if (m_field.font.width == 0 && name == '0')
            m_field.font.width = m_field.font.height;
        if (const char o = p.letter(0, m_orientation); isOrientation(o))
            m_field.orientation = o;
    }

    void barcode(char command, const ZplParams &p)
    {
        BarcodeField b;
        b.command = command;
        b.orientation = p.letter(0, m_orientation);
        if (!isOrientation(b.orientation))
            b.orientation = m_orientation;
        b.module = m_module;
        switch (command) {
        case 'C':
            b.height = p.number(1, m_barHeight, 1, MaxCoordinate);
            b.line = p.letter(2, 'Y') == 'Y';
            b.lineAbove = p.letter(3, 'N') == 'Y';
            b.checkDigit = p.letter(4, 'N') == 'Y';
            b.kind = p.letter(5, 'N') == 'A' ? Symbology::Code128 : Symbology::Code128B;
            break;
        case '3':
            b.kind = Symbology::Code39;
            b.checkDigit = p.letter(1, 'N') == 'Y';
            b.height = p.number(2, m_barHeight, 1, MaxCoordinate);
            b.line = p.letter(3, 'Y') == 'Y';
            b.lineAbove = p.letter(4, 'N') == 'Y';
            break;
        case 'X':
            b.kind = Symbology::DataMatrix;
            b.module = p.number(1, m_module, 1, 100);
            break;
        case 'Q':
            b.kind = Symbology::QRCode;
            b.orientation = 'N'; // a QR code is always upright
            b.module = p.number(2, 2, 1, 10);
            break;
        case '7':
            b.kind = Symbology::PDF417;
            b.height = p.number(1, 0, 0, MaxCoordinate);
            b.security = p.number(2, 0, 0, 8);
            b.columns = p.number(3, 0, 0, 30);
            b.rows = p.number(4, 0, 0, 90);
            break;
        }
        m_field.barcode = b;
        m_field.orientation = b.orientation;
    }

    void endLabel()
    {
        m_inLabel = false;
        if (m_result.labels.size() >= MaxPictures) {
            m_skipped = true;
            return;
        }
        const auto dots = [&](double mm, int given, double inches) {
            const double d = mm > 0 ? mm * m_options.dotsPerMm : given > 0 ? given : inches * 25.4 * m_options.dotsPerMm;
            return std::clamp(int(std::lround(d)), 1, MaxPictureDots);
        };
        const QSize size(dots(m_options.widthMm, m_width, 2), dots(m_options.heightMm, m_length, 1));
        m_dotsDrawn += qint64(size.width()) * size.height();
        if (m_dotsDrawn > MaxStreamDots) {
            m_costly = true;
            return;
        }
        m_canvas = QImage(size, QImage::Format_Grayscale8);
        m_canvas.fill(255);
        m_scratch = QImage(m_canvas.size(), QImage::Format_Grayscale8);
        m_scratch.fill(255);
        m_drawn.clear();
        for (const Field &f : std::as_const(m_fields)) {
            if (expired())
                return;
            draw(f);
        }
        LabelPicture picture;
        picture.image = m_canvas;
        picture.copies = m_copies;
        picture.notShown = m_notShown;
        picture.fields = m_drawn;
        m_result.labels << picture;
    }

    // Paints on the scratch picture with `paint`, then puts the marks made inside
    // `bounds` onto the label as `how` says.
    void mark(const QRectF &bounds, Paint how, const std::function<void(QPainter &)> &paint)
    {
        const QRect area = bounds.toAlignedRect().adjusted(-1, -1, 1, 1) & m_canvas.rect();
        if (area.isEmpty())
            return;
        {
            QPainter painter(&m_scratch);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setClipRect(area);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            paint(painter);
        }
        for (int y = area.top(); y <= area.bottom(); ++y) {
            uchar *label = m_canvas.scanLine(y);
            uchar *marks = m_scratch.scanLine(y);
            for (int x = area.left(); x <= area.right(); ++x) {
                if (marks[x] < 128) {
                    label[x] = how == Paint::Black ? 0 : how == Paint::White ? 255 : uchar(255 - label[x]);
                    marks[x] = 255;
                }
            }
        }
    }

    // Puts rectangles (not overlapping each other) onto the label as `how` says.
    void markRects(const QList<QRect> &rects, Paint how)
    {
        for (const QRect &r : rects) {
            const QRect area = r & m_canvas.rect();
            for (int y = area.top(); y <= area.bottom() && !area.isEmpty(); ++y) {
                uchar *label = m_canvas.scanLine(y) + area.left();
                if (how == Paint::Invert)
                    std::transform(label, label + area.width(), label, [](uchar v) { return uchar(255 - v); });
                else
                    std::fill_n(label, area.width(), how == Paint::Black ? 0 : 255);
            }
        }
    }

    DrawnField &drawn(DrawnField::Kind kind, const QRectF &bounds)
    {
        DrawnField d;
        d.kind = kind;
        d.number = int(m_drawn.size()) + 1;
        d.bounds = bounds.toAlignedRect();
        m_drawn << d;
        return m_drawn.last();
    }

    void draw(const Field &f)
    {
        if (f.graphic)
            drawGraphic(f, *f.graphic);
        else if (f.barcode)
            drawBarcode(f, *f.barcode);
        else
            drawText(f);
    }

    void drawGraphic(const Field &f, const Graphic &g)
    {
        const QRectF outer(0, 0, g.width, g.height);
        QPainterPath shape;
        if (g.circle) {
            shape.addEllipse(outer);
            const double inner = g.width - 2.0 * g.thickness;
            if (inner > 0)
                shape.addEllipse(QRectF(g.thickness, g.thickness, inner, inner));
        } else {
            const double radius = g.rounding * std::min(g.width, g.height) / 16.0;
            shape.addRoundedRect(outer, radius, radius);
            const QRectF inner = outer.adjusted(g.thickness, g.thickness, -g.thickness, -g.thickness);
            if (inner.width() > 0 && inner.height() > 0) {
                const double r = std::max(0.0, radius - g.thickness);
                shape.addRoundedRect(inner, r, r);
            }
        }
        shape.setFillRule(Qt::OddEvenFill);
        Field upright = f;
        upright.orientation = 'N'; // boxes have no orientation
        const QTransform t = placement(upright, g.width, g.height, QPointF(0, g.height));
        const Paint how = f.reverse ? Paint::Invert : g.white ? Paint::White : Paint::Black;
        drawn(DrawnField::Graphic, t.map(shape).boundingRect());
        if (!g.circle && g.rounding == 0) {
            // A square box is its four sides (or one block), put on directly: a
            // label of many large boxes costs their sides, not their areas.
            const QRect box = t.mapRect(QRectF(outer)).toAlignedRect();
            const int w = g.width, h = g.height, k = g.thickness;
            QList<QRect> sides{QRect(0, 0, w, h)};
            if (2 * k < w && 2 * k < h)
                sides = {QRect(0, 0, w, k), QRect(0, h - k, w, k), QRect(0, k, k, h - 2 * k), QRect(w - k, k, k, h - 2 * k)};
            for (QRect &side : sides)
                side.translate(box.topLeft());
            markRects(sides, how);
            return;
        }
        mark(t.map(shape).boundingRect(), how, [&](QPainter &p) {
            p.setTransform(t);
            p.drawPath(shape);
        });
    }

    void drawText(const Field &f)
    {
        QString text = decodeText(unescapeHex(f.data, f.hexIndicator), f.charset);
        if (text.size() > MaxFieldChars)
            text.truncate(MaxFieldChars);
        const Paint how = f.reverse ? Paint::Invert : Paint::Black;
        if (!f.block) {
            const TextLine line = LayOutText(text, f.font);
            const QTransform t = placement(f, line.advance, line.height, QPointF(0, line.baseline));
            drawn(DrawnField::Text, t.map(line.outline).boundingRect());
            mark(t.map(line.outline).boundingRect(), how, [&](QPainter &p) {
                p.setTransform(t);
                p.drawPath(line.outline);
            });
            return;
        }
        const Block &b = *f.block;
        QList<QStringList> lines = wrap(text, f.font, b);
        // More lines than the block holds: the rest prints over the last line.
        while (lines.size() > b.lines) {
            QStringList rest = lines.takeLast();
            lines.last() << rest;
        }
        const double step = LineHeight(f.font) + b.spacing;
        const double depth = std::max(0.0, step * (lines.size() - 1) + LineHeight(f.font));
        QPainterPath all;
        double baseline = 0;
        const double space = TextWidth(QStringLiteral(" "), f.font);
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList &words = lines[i];
            double used = 0;
            for (const QString &w : words)
                used += TextWidth(w, f.font);
            const double indent = i == 0 ? 0 : b.indent;
            const double gaps = std::max<qsizetype>(words.size() - 1, 0);
            double gap = space;
            double x = indent;
            const double free = b.width - indent - used - gaps * space;
            if (b.justify == 'C')
                x += free / 2;
            else if (b.justify == 'R')
                x += free;
            else if (b.justify == 'J' && i + 1 < lines.size() && gaps > 0)
                gap = space + free / gaps;
            for (const QString &w : words) {
                const TextLine word = LayOutText(w, f.font);
                baseline = word.baseline;
                all.addPath(QTransform::fromTranslate(x, i * step).map(word.outline));
                x += word.advance + gap;
            }
        }
        if (baseline == 0)
            baseline = LayOutText(QStringLiteral(" "), f.font).baseline;
        // ^FT places a block by the baseline of its last line.
        const QTransform t = placement(f, b.width, depth, QPointF(0, step * (b.lines - 1) + baseline));
        drawn(DrawnField::Text, t.map(all).boundingRect());
        mark(t.map(all).boundingRect(), how, [&](QPainter &p) {
            p.setTransform(t);
            p.drawPath(all);
        });
    }

    void drawBarcode(const Field &f, const BarcodeField &b)
    {
        QByteArray data = unescapeHex(f.data, f.hexIndicator);
        BarcodeRequest request;
        request.kind = b.kind;
        request.checkDigit = b.checkDigit && b.kind == Symbology::Code39;
        request.security = b.security;
        request.columns = b.columns;
        request.rows = b.rows;
        if (b.kind == Symbology::QRCode) {
            // "QA,data": error correction (H, Q, M, L), then automatic or manual input.
            static const QByteArray levels = "LMQH";
            const qsizetype comma = data.indexOf(',');
            const QByteArray head = comma >= 0 ? data.left(comma).toUpper() : QByteArray();
            request.security = head.isEmpty() || levels.indexOf(head[0]) < 0 ? 3 : int(levels.indexOf(head[0])) + 1;
            data = comma >= 0 ? data.mid(comma + 1) : data;
            if (head.size() >= 2 && head[1] == 'M' && !data.isEmpty())
                data = data.mid(data[0] == 'B' || data[0] == 'b' ? 5 : 1); // the mode letter (and a byte count)
        }
        if (b.checkDigit && b.command == 'C') {
            // The check digit of the interpretation: modulo 10 over the digits, weights 3 and 1 from the right.
            int sum = 0, weight = 3;
            for (qsizetype i = data.size() - 1; i >= 0; --i)
                if (data[i] >= '0' && data[i] <= '9') {
                    sum += (data[i] - '0') * weight;
                    weight = 4 - weight;
                }
            data += char('0' + (10 - sum % 10) % 10);
        }
        request.data = data;
        const bool linear = b.kind == Symbology::Code128 || b.kind == Symbology::Code128B || b.kind == Symbology::Code39;
        DrawnField &field = drawn(DrawnField::Barcode, QRectF(f.at, QSizeF(0, 0)));
        field.symbology = b.kind;
        field.linear = linear;
        field.checkDigit = request.checkDigit;
        field.data = data;
        field.module = b.module;
        field.barHeight = linear ? b.height : 0;
        const BarcodeModules modules = EncodeBarcode(request);
        if (!modules.error.isEmpty()) {
            field.error = modules.error;
            note(QStringLiteral("^B%1 (%2)").arg(QString(QLatin1Char(b.command)), modules.error));
            return;
        }
        QList<QRect> bars; // in the barcode's own upright frame
        int length = 0, depth = 0;
        if (linear) {
            // Code 39's wide elements are `ratio` times the narrow ones; libzint gives them as two modules.
            const int wide = std::max(b.module + 1, int(std::lround(m_ratio * b.module)));
            for (int c = 0; c < modules.width;) {
                int run = 1;
                while (c + run < modules.width && modules.at(0, c + run) == modules.at(0, c))
                    ++run;
                const int w = b.kind == Symbology::Code39 ? (run >= 2 ? wide : b.module) : run * b.module;
                if (modules.at(0, c))
                    bars << QRect(length, 0, w, b.height);
                length += w;
                c += run;
            }
            depth = b.height;
        } else {
            const int mw = b.module;
            const int mh = b.kind == Symbology::PDF417 ? (b.height > 0 ? b.height : 3 * b.module) : b.module;
            for (int r = 0; r < modules.rows; ++r)
                for (int c = 0; c < modules.width; ++c)
                    if (modules.at(r, c))
                        bars << QRect(c * mw, r * mh, mw, mh);
            length = modules.width * mw;
            depth = modules.rows * mh;
        }
        // The interpretation line under (or over) a linear barcode.
        TextLine line;
        int lineTop = 0, barsTop = 0;
        if (linear && b.line) {
            QString shown = QString::fromLatin1(data);
            if (b.kind == Symbology::Code39)
                shown = u'*' + shown + u'*';
            const ZplFont font{'0', 10 + 4 * b.module, 10 + 4 * b.module};
            line = LayOutText(shown, font);
            const int gap = b.module + 1;
            if (b.lineAbove) {
                barsTop = int(std::ceil(line.height)) + gap;
            } else {
                lineTop = depth + gap;
            }
            line.outline.translate((length - line.advance) / 2, lineTop);
            depth += int(std::ceil(line.height)) + gap;
        }
        for (QRect &r : bars)
            r.translate(0, barsTop);
        const QTransform t = placement(f, length, depth, QPointF(0, barsTop + (linear ? b.height : depth)));
        const Paint how = f.reverse ? Paint::Invert : Paint::Black;
        QRectF bounds = t.mapRect(QRectF(0, 0, length, depth));
        field.bounds = bounds.toAlignedRect();
        field.symbol = t.mapRect(QRectF(0, barsTop, length, linear ? b.height : depth)).toAlignedRect();
        mark(bounds, how, [&](QPainter &p) {
            p.setTransform(t);
            for (const QRect &r : std::as_const(bars))
                p.fillRect(r, Qt::black);
            if (!line.outline.isEmpty())
                p.drawPath(line.outline);
        });
    }

    const PreviewOptions m_options;
    LabelPreview m_result;
    bool m_inLabel = false, m_skipped = false;
    QList<Field> m_fields;
    QList<DrawnField> m_drawn;
    Field m_field;
    QElapsedTimer m_clock;
    bool m_costly = false;
    qint64 m_dotsDrawn = 0;
    QStringList m_notShown;
    int m_copies = 1;
    // Settings that hold until changed, across the labels of a stream.
    ZplFont m_font;
    char m_orientation = 'N';
    int m_module = 2, m_barHeight = 10;
    double m_ratio = 3.0;
    QPoint m_home;
    bool m_reverseAll = false;
    int m_width = 0, m_length = 0, m_charset = 0;
    QImage m_canvas, m_scratch;
};

} // namespace

LabelPreview RenderLabels(const QByteArray &bytes, const PreviewOptions &options)
{
    PreviewOptions checked = options;
    if (!(checked.dotsPerMm >= 1 && checked.dotsPerMm <= 48))
        checked.dotsPerMm = 8;
    return Renderer(checked).run(bytes);
}

bool SavePicture(const QImage &picture, const QString &file)
{
    return picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(file, "PNG");
}

} // namespace Tabrix
