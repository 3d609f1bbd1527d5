#include "base/ui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Tabrix::Pictures {

namespace {

QPixmap canvas(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void drawTool(QPainter &p, Tool tool)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (tool) {
    case Tool::New: {
        QPainterPath page;
        page.moveTo(5, 2); page.lineTo(18, 2); page.lineTo(23, 7); page.lineTo(23, 26); page.lineTo(5, 26);
        page.closeSubpath();
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.setPen(QPen(QColor(0, 140, 0), 3));
        p.drawLine(14, 12, 14, 22);
        p.drawLine(9, 17, 19, 17);
        break;
    }
    case Tool::Cancel:
        p.setPen(QPen(QColor(200, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(6, 6, 22, 22);
        p.drawLine(22, 6, 6, 22);
        break;
    case Tool::Save:
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(QColor(40, 80, 170));
        p.drawRoundedRect(QRectF(4, 4, 20, 20), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 4, 12, 8));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 16, 12, 8));
        break;
    case Tool::Print:
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 3, 12, 8));
        p.setBrush(QColor(120, 120, 120));
        p.drawRoundedRect(QRectF(3, 10, 22, 10), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 17, 12, 8));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(10, 20, 18, 20);
        p.drawLine(10, 22, 16, 22);
        break;
    case Tool::Open: {
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(QColor(230, 190, 60));
        p.drawRect(QRectF(3, 8, 22, 16));
        p.setBrush(QColor(250, 215, 90));
        QPolygonF lid;
        lid << QPointF(3, 24) << QPointF(8, 13) << QPointF(27, 13) << QPointF(25, 24);
        p.drawPolygon(lid);
        break;
    }
    case Tool::Cut:
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(9, 4, 17, 18);
        p.drawLine(19, 4, 11, 18);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 18, 6, 6));
        p.drawEllipse(QRectF(17, 18, 6, 6));
        break;
    case Tool::Copy:
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 4, 13, 16));
        p.drawRect(QRectF(11, 9, 13, 16));
        break;
    case Tool::Paste:
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(QColor(170, 120, 60));
        p.drawRoundedRect(QRectF(5, 5, 18, 21), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 9, 10, 13));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(10, 3, 8, 4));
        break;
    case Tool::Field:
    case Tool::Char: {
        QFont f(QStringLiteral("Liberation Mono"), 9, QFont::Bold);
        p.setFont(f);
        p.setPen(tool == Tool::Field ? QColor(255, 0, 0) : QColor(0, 128, 0));
        p.drawText(QRect(0, 0, 28, 28), Qt::AlignCenter, tool == Tool::Field ? QStringLiteral("<#>") : QStringLiteral("[ ]"));
        break;
    }
    case Tool::Listen:
        p.setPen(QPen(QColor(30, 110, 200), 2));
        p.setBrush(Qt::NoBrush);
        for (int r : {4, 8, 12})
            p.drawArc(QRectF(14 - r, 16 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
        p.setBrush(QColor(30, 110, 200));
        p.drawEllipse(QRectF(12, 14, 4, 4));
        p.drawLine(14, 18, 14, 26);
        break;
    case Tool::Prior:
    case Tool::Next: {
        QPolygonF arrow;
        if (tool == Tool::Prior)
            arrow << QPointF(20, 5) << QPointF(8, 14) << QPointF(20, 23);
        else
            arrow << QPointF(8, 5) << QPointF(20, 14) << QPointF(8, 23);
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(QColor(30, 110, 200));
        p.drawPolygon(arrow);
        break;
    }
    }
}

} // namespace

QIcon toolIcon(Tool tool)
{
    QPixmap pm = canvas(28, 28);
    QPainter p(&pm);
    drawTool(p, tool);
    p.end();
    return QIcon(pm); // QIcon greys the picture by itself for the disabled state
}

QPixmap header(QSize size)
{
    const int w = size.width(), h = size.height();
    QPixmap pm(size);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, QColor(0, 60, 0));
    g.setColorAt(0.5, Qt::black);
    p.fillRect(pm.rect(), g);
    // The letters are drawn at the band's height, never stretched with its width.
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(h * 6 / 10);
    title.setBold(true);
    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(h * 33 / 100);
    const int margin = h * 3 / 10;
    const QString name = QStringLiteral("TABRIX"), what = QStringLiteral("Specimen registration");
    p.setFont(title);
    p.setPen(QColor(200, 200, 80));
    p.drawText(QRect(margin, 0, w - margin, h), Qt::AlignVCenter | Qt::AlignLeft, name);
    const int room = w - 2 * margin - QFontMetrics(title).horizontalAdvance(name) - margin;
    if (QFontMetrics(subtitle).horizontalAdvance(what) <= room) {
        p.setFont(subtitle);
        p.setPen(QColor(220, 220, 220));
        p.drawText(QRect(0, 0, w - margin, h), Qt::AlignVCenter | Qt::AlignRight, what);
    }
    return pm;
}

QPixmap banner()
{
    QPixmap pm(240, 60);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 60);
    g.setColorAt(0, QColor(250, 250, 235));
    g.setColorAt(1, QColor(200, 200, 150));
    p.fillRect(pm.rect(), g);
    p.setPen(QPen(QColor(90, 90, 40), 2));
    p.drawRect(pm.rect().adjusted(1, 1, -1, -1));
    QFont f(QStringLiteral("Liberation Sans"), 11, QFont::Bold);
    p.setFont(f);
    p.setPen(QColor(60, 60, 20));
    p.drawText(QRect(0, 6, 240, 26), Qt::AlignCenter, QStringLiteral("Tabrix"));
    f.setBold(false);
    f.setPointSize(8);
    p.setFont(f);
    p.drawText(QRect(0, 30, 240, 24), Qt::AlignCenter, QStringLiteral("Help and updates"));
    return pm;
}

QPixmap program()
{
    QPixmap pm = canvas(48, 48);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(128, 128, 0));
    p.drawRoundedRect(QRectF(4, 14, 40, 24), 4, 4);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 4, 24, 14));
    p.drawRect(QRectF(10, 32, 28, 12));
    p.setPen(QPen(Qt::black, 2));
    for (int x = 14; x < 34; x += 3)
        p.drawLine(x, 35, x, 41);
    return pm;
}

QPixmap face(bool laughing)
{
    QPixmap pm = canvas(32, 32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(255, 220, 0));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(9, 9, 4, 5));
    p.drawEllipse(QRectF(19, 9, 4, 5));
    if (laughing) {
        p.setBrush(QColor(200, 0, 0));
        p.drawChord(QRectF(7, 12, 18, 14), 180 * 16, 180 * 16);
    } else {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 10, 16, 13), 200 * 16, 140 * 16);
    }
    return pm;
}

} // namespace Tabrix::Pictures
